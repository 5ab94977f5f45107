// Decoding of the two VPD pages as they arrive in the INQUIRY work buffer. The
// bytes come from a device: every read is bounded by the buffer it is given.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Data byte k of a work buffer of `size` bytes (the page starts at offset 124);
// 0 for a byte the buffer does not hold.
uint8_t vpd_data_byte(const uint8_t* buffer, size_t size, uint32_t k);

// Page 0x00: cell i gets data byte 4 + i as two lowercase hex digits and a NUL, for
// as many cells as the page-length byte (data byte 3) says. Returns that count
// (0 to 255); the caller provides 255 cells.
int32_t decode_vpd_00(const uint8_t* buffer, size_t size, char (*cells)[3]);

// Page 0xD0: the vdisk name of data byte 2 characters from data byte 3, ended early
// by a NUL and cut to 127 characters, into the caller's 128-byte field (cleared
// first, always terminated). Returns the name's length.
int32_t decode_vpd_d0(const uint8_t* buffer, size_t size, char* vdisk_name);
