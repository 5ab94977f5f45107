// A device's facts: its record and preferred path as fetched, and what one engine
// gathers beyond them (the LUN capacity read down its open paths, its volume name,
// the storage ports with QF_SCSI_ADDR), always in the same order, so the text
// display, the JSON document and the diff's live side send the same requests.
// Presenters only format a DeviceFacts.
#pragma once

#include <stdint.h>

#include "disk_identity.h"  // kVdiskNameSize
#include "dsm_interface.h"
#include "host_port_table.h"

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

// Why no size was found: "no-path", "no-open-path", "scsi-status" or "request-failed";
// null when one was.
const char* capacity_failure_reason(const LunCapacity* c);

// The size text of a LUN: "500MB", "10.0GB", " 1.0TB"... Writes into `out` (NUL
// terminated, cut to `size`).
void format_lun_size(uint64_t last_lba, uint32_t block_length, char* out, unsigned size);

enum class VdiskSource { None, Disk, Cache };

// Finds the device's volume name in band or from the name cache into `name`
// (kVdiskNameSize bytes, the caller's), logging every failure. Returns where the
// name came from, None when there is no name to show.
VdiskSource find_vdisk_name(const DSM_DEVICE_RECORD* record, char* name);

// True for a device of the cluster-shared-volume scope: a CSV disk with its key.
inline bool is_csv_device(const DSM_DEVICE_RECORD* r) { return r->IsCsv != 0 && r->Key != 0; }

struct DeviceFacts {
    const DSM_DEVICE_RECORD* record;       // the caller's fetch
    const DSM_PREFERRED_PATH* preferred;   // IsSet 0: none
    uint32_t query_flags;                  // QF_SCSI_ADDR: the ports were read
    LunCapacity capacity;
    VdiskSource volume_source;
    char volume[kVdiskNameSize];           // NUL terminated; "" with VdiskSource::None
    const HostPortTable* ports;            // the HBA tool's table with QF_SCSI_ADDR, else an empty one
};

// The steps of the gathering, in their order.
enum class FactsStep { Capacity, Volume, Ports };

// Gathers the facts of a fetched device into *facts: the capacity, the volume name
// (logging as it goes), then the storage ports when `query_flags` has QF_SCSI_ADDR.
// `after_step`, when given, is called after each step: a display that prints as it
// goes shows each part before the next read, whose own messages (a disk restart's)
// then follow it.
void gather_device_facts(const DSM_DEVICE_RECORD* record, const DSM_PREFERRED_PATH* preferred, uint32_t query_flags,
                         DeviceFacts* facts, void (*after_step)(FactsStep step, const DeviceFacts* facts) = nullptr);
