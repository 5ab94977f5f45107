// The members of one device entry of the machine-output documents, written into
// an object the caller has opened, from the facts the one gathering engine
// (facts/device_facts.h) found, so the driver, the disk and the HBA tool see the
// requests of the text display.
#pragma once

#include <stdint.h>

#include "device_facts.h"
#include "disk_identity.h"
#include "dsm_interface.h"
#include "host_port_table.h"
#include "json_writer.h"

// A device of `query device`: identity, policy, capacity, volume name, interface,
// CSV data, preferred path and the paths the text table shows under the facts'
// query flags.
void write_device_members(JsonWriter* w, const DeviceFacts* facts);

// A device of `query devstats`: product identifier and the three counter rows.
void write_device_stats_members(JsonWriter* w, const DSM_DEVICE_STATS* stats);

// The five counters of a statistics row as an object named `key`.
void write_counter_row(JsonWriter* w, const char* key, const uint32_t (&row)[5], bool histogram);
