// The members of one device entry of the machine-output documents, written into
// an object the caller has opened. They are fed by the same reads as the text
// displays, in the same order, so the driver, the disk and the HBA tool see the
// same requests.
#pragma once

#include <stdint.h>

#include "device_facts.h"
#include "disk_identity.h"
#include "dsm_interface.h"
#include "host_port_table.h"
#include "json_writer.h"

// What the device display learns beyond the record: the capacity, the volume name
// and the storage ports.
struct DeviceFindings {
    LunCapacity capacity;
    VdiskSource volume_source;
    char volume[kVdiskNameSize];
    const HostPortTable* ports;  // the HBA tool's table with QF_SCSI_ADDR, else an empty one
};

// Makes the reads the text display makes, in its order: the capacity, the volume
// name (logging as it does), the storage ports when `query_flags` asks for addresses.
void read_device_findings(const DSM_DEVICE_RECORD* record, uint32_t query_flags, DeviceFindings* found);

// A device of `query device`: identity, policy, capacity, volume name, interface,
// CSV data, preferred path and the paths the text table shows under `query_flags`.
void write_device_members(JsonWriter* w, const DSM_DEVICE_RECORD* record, uint32_t query_flags,
                          const DSM_PREFERRED_PATH* preferred, const DeviceFindings* found);

// A device of `query devstats`: product identifier and the three counter rows.
void write_device_stats_members(JsonWriter* w, const DSM_DEVICE_STATS* stats);

// The five counters of a statistics row as an object named `key`.
void write_counter_row(JsonWriter* w, const char* key, const uint32_t (&row)[5], bool histogram);
