// The detail display of one multipath device: header, LUN size, volume name,
// interface, preferred path and the path table.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// Prints `record` as `query device` shows it, with the flags' path table layout
// and the preferred path `preferred` (IsSet 0: none).
void print_device(const DSM_DEVICE_RECORD* record, uint32_t query_flags, const DSM_PREFERRED_PATH* preferred);

// What the capacity read found. A size was found when last_lba is nonzero and
// failure is 0.
struct LunCapacity {
    bool no_paths;                      // PathCount 0: nothing was asked
    int32_t failure;                    // -1 when the last attempt failed
    bool refused;                       // that failure was an unexpected SCSI status
    uint64_t last_lba;
    uint32_t block_length;
    uint32_t status_count;              // unexpected SCSI statuses met, in order
    uint8_t statuses[DSM_MAX_PATHS];
};

// Reads the LUN capacity with READ CAPACITY down the device's open paths into *c.
void read_lun_capacity(const DSM_DEVICE_RECORD* record, LunCapacity* c);

// Reads the LUN capacity through one open path and prints its size text (or a
// failure text). Returns 0, or -1 when the last capacity attempt failed.
int32_t print_lun_size(const DSM_DEVICE_RECORD* record);

// The size text of a LUN: "500MB", "10.0GB", " 1.0TB"... Writes into `out` (NUL
// terminated, cut to `size`).
void format_lun_size(uint64_t last_lba, uint32_t block_length, char* out, unsigned size);

enum class VdiskSource { None, Disk, Cache };

// Finds the device's volume name in band or from the name cache into `name`
// (kVdiskNameSize bytes, the caller's), logging every failure. Returns where the
// name came from, None when there is no name to show.
VdiskSource find_vdisk_name(const DSM_DEVICE_RECORD* record, char* name);

// Finds and prints the device's volume name ("VDISK NAME: ...") in band or from the
// name cache; every failure goes to the activity log only.
void show_vdisk_name(const DSM_DEVICE_RECORD* record);
