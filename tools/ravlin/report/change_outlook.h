// What a change that takes paths offline would leave each device with: the device
// record and adapter table as they would read afterwards, judged by the same
// verdict engine as `query health`. Pure: no driver, no output.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "dsm_interface.h"
#include "health_summary.h"
#include "health_verdict.h"

enum class ChangeTarget { Adapter, Path };

// `set adapter <adapter> offline` or `set device <device> path <path> offline`.
struct PlannedChange {
    ChangeTarget target;
    int32_t adapter;                                  // Adapter: its number
    bool adapter_known;                               // Adapter: found in the table (else nothing goes through it)
    char adapter_name[sizeof(DSM_ADAPTER_ENTRY{}.AdapterName)];  // Adapter: as the table names it
    int32_t device;                                   // Path: the device slot
    int32_t path;                                     // Path: its index in the record
};

// The change of adapter `adapter` of the first `count` entries of `table`.
PlannedChange adapter_change(const DSM_ADAPTER_TABLE* table, int32_t count, int32_t adapter);
// The change of one path of one device.
PlannedChange path_change(int32_t device, int32_t path);

// "set adapter 1 offline" or "set device 0 path 1 offline", cut to `size`.
void describe_change(const PlannedChange* change, char* out, size_t size);

// Copies `before` (the record of slot `slot`) to *after with every path the change
// touches set to mode offline, as the driver reports such a path. Returns how many
// paths it touches: 0 when the device is not affected.
int32_t record_after_change(const DSM_DEVICE_RECORD* before, int32_t slot, const PlannedChange* change,
                            DSM_DEVICE_RECORD* after);

// Copies the first `count` entries of `before` to *after (zeros beyond them), with
// the adapter that goes offline in mode offline.
void table_after_change(const DSM_ADAPTER_TABLE* before, int32_t count, const PlannedChange* change,
                        DSM_ADAPTER_TABLE* after);

struct DeviceOutlook {
    int32_t paths_taken;   // paths the change takes offline; 0: not affected
    DeviceHealth before;
    DeviceHealth after;
};

// True when the verdict after is worse than before.
bool outlook_worse(const DeviceOutlook* o);
// True when the device would be left without an active path it has now: the
// driver refuses such a change when it takes away the last access.
bool outlook_loses_access(const DeviceOutlook* o);

// Judges slot `slot` now (against `table_now`) and after the change (against
// `table_after`, made by table_after_change). Fills *out; paths_taken 0 and both
// verdicts alike when the device is not affected.
void foresee_device(const DSM_DEVICE_RECORD* record, int32_t slot, const DSM_ADAPTER_TABLE* table_now,
                    const DSM_ADAPTER_TABLE* table_after, int32_t adapter_count, const PlannedChange* change,
                    const HealthOptions& options, DeviceOutlook* out);

struct WhatIfSummary {
    int32_t devices;    // present devices judged
    int32_t affected;   // with at least one path the change takes offline
    int32_t worse;      // affected devices whose verdict gets worse
    int32_t lose_access;
    int32_t down, spof, degraded, no_optimized;  // verdicts after, of the affected devices
};

// Adds one judged device to the totals.
void add_outlook(WhatIfSummary* s, const DeviceOutlook* o);

// CRITICAL when a device would lose its last active path, WARNING when some
// verdict gets worse, otherwise OK. Its value is the exit status.
HealthStatus whatif_status(const WhatIfSummary* s);

// The first line without its line end: "RAVLIN WHATIF WARNING - set adapter 1
// offline: 3 of 40 devices affected, 0 down, 2 spof | affected=3 ...". Cut to `size`.
void format_whatif_summary(const WhatIfSummary* s, const char* change_text, char* out, size_t size);

// One affected device's line without its line end: "DEV# n <name> (serial S): OK
// now, SPOF after: <reasons after>". `serial` is a terminated text. Cut to `size`.
void format_outlook_line(int32_t number, const char* display_name, const char* serial, const DeviceOutlook* o,
                         char* out, size_t size);
