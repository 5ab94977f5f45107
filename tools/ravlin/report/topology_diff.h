// What changed between a saved topology and the live one. Pure: no driver, no
// output. Devices match by serial number, paths by adapter name and SCSI address.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "topology.h"

enum class DiffKind {
    DeviceGone,
    DeviceNew,
    PathGone,
    PathNew,
    PathState,
    PathMode,
    PathNonOptimized,
    PathTargetPort,
    Policy,
    PreferredPath,
    Reserved,
    Capacity,
    VolumeName,
    AdapterGone,
    AdapterNew,
    AdapterState,
    AdapterMode,
};

struct Difference {
    DiffKind kind;
    int32_t saved_device;  // index into the saved topology's devices; -1 none
    int32_t live_device;   // index into the live topology's devices; -1 none
    int32_t saved_path;    // index into the saved topology's paths; -1 none
    int32_t live_path;     // index into the live topology's paths; -1 none
    char adapter[kTopoNameSize];  // the adapter of an adapter difference
    int32_t saved_adapter;  // index into the saved topology's adapters; -1 none
    int32_t live_adapter;   // index into the live topology's adapters; -1 none
};

// Appends every difference to *out, grouped by device in the saved order (new
// devices after them), then the adapters: when the saved topology carries the
// adapter table, matched by name (gone or changed state/mode in the saved order,
// then new), else those the paths name, gone then new. Linear in the devices,
// paths and adapters of both: one index by serial and one by adapter name.
void compare_topologies(const Topology& saved, const Topology& live, std::vector<Difference>* out);

// The machine name of a kind ("device_gone", ...); a static text.
const char* diff_kind_name(DiffKind kind);

// True for the kinds about an adapter rather than a device.
bool diff_is_adapter(DiffKind kind);

// The value before and after a change, as texts cut to `size` (both buffers).
// False for a difference that has none (gone, new).
bool difference_values(const Topology& saved, const Topology& live, const Difference& d, char* before, char* after,
                       size_t size);

// One difference as a text line without its line end, cut to `size`. Driver and
// file texts are made printable on one line.
void format_difference(const Topology& saved, const Topology& live, const Difference& d, char* out, size_t size);
