// What a device's facts are gathered from beyond its record: the LUN capacity read
// down its open paths and its volume name. Presenters only format what these find.
#pragma once

#include <stdint.h>

#include "disk_identity.h"  // kVdiskNameSize
#include "dsm_interface.h"

// What the capacity read found. A size was found when last_lba is nonzero and
// failure is 0 (capacity_found).
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

// True when the read found a size to show.
inline bool capacity_found(const LunCapacity* c) { return c->failure == 0 && c->last_lba != 0; }

// The size text of a LUN: "500MB", "10.0GB", " 1.0TB"... Writes into `out` (NUL
// terminated, cut to `size`).
void format_lun_size(uint64_t last_lba, uint32_t block_length, char* out, unsigned size);

enum class VdiskSource { None, Disk, Cache };

// Finds the device's volume name in band or from the name cache into `name`
// (kVdiskNameSize bytes, the caller's), logging every failure. Returns where the
// name came from, None when there is no name to show.
VdiskSource find_vdisk_name(const DSM_DEVICE_RECORD* record, char* name);
