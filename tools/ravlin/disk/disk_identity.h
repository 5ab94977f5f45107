// The identity of a disk read in band: SCSI INQUIRY vital product data pages 0x00
// (supported pages) and 0xD0 (the array's vdisk name), through the disk's
// pass-through interface. Diagnostics go to the activity log only.
#pragma once

#include <stdint.h>

#include "platform.h"

constexpr int kVpdCellMax = 255;   // supported-page cells, 3 bytes each ("d0" and a NUL)
constexpr int kVdiskNameSize = 128;

// Opens the disk at `device_path` for read and write into *handle; the caller
// closes it. Returns 0, or -1 (logged).
int32_t get_dev_handle(const char* device_path, PlatformHandle* handle);

// Reads the disk's SCSI address and sends INQUIRY with EVPD for `page_code` into
// the caller's zero-filled 640-byte work buffer; the page arrives at offset 124.
// Returns 0 when the pass-through call succeeded, -1 otherwise (logged; a disk
// found not connected also gets a port-group refresh and a silent restart pass).
int32_t get_disk_vpd_page(PlatformHandle handle, uint8_t page_code, uint8_t* buffer);

// Reads page 0x00 of the disk at `device_path` ("\\.\PhysicalDriveN"): cells[i] gets
// the i-th supported page code as two lowercase hex digits; *cell_count the number of
// cells. The caller provides kVpdCellMax cells. Returns 0 or -1.
int32_t get_disk_00_page(const char* device_path, char (*cells)[3], int32_t* cell_count);

// Reads page 0xD0 of the disk at `device_path` into the caller's kVdiskNameSize-byte
// name field (NUL-terminated, at most 127 characters). Returns 0 or -1.
int32_t get_disk_d0_page(const char* device_path, char* vdisk_name);
