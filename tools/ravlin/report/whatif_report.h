// The what-if of a change that takes paths offline: every present device judged
// now and as it would be after, reported in the monitoring-plugin convention (or
// as one JSON document). Reads as `query health` does; sends no change.
#pragma once

#include <stdint.h>

#include "change_outlook.h"

// How a guarded change runs: -whatif alone reports; -ifsafe reports only when it
// refuses. tpgs: dead paths in mode normal stand by. json: -whatif's document.
struct ChangeGuard {
    bool apply_if_safe;
    bool tpgs;
    bool json;
};

// Judges `change` over every present device, the driver being open. Prints the
// report, except when the change is safe and `guard.apply_if_safe` is set (the
// change's own output follows then). Returns the status: 0 safe, 1 a device loses
// redundancy, 2 a device loses its last active path, 3 a device record could not
// be read.
int32_t foresee_change(const PlannedChange* change, const ChangeGuard& guard);

// The report of a what-if without the driver: "RAVLIN WHATIF UNKNOWN - ..." (an
// error document with -json). Returns 3.
int32_t report_whatif_without_driver(bool json);

// `set adapter <adapter> offline` and `set device <device> path <path> offline`
// behind -whatif or -ifsafe, the driver open: the refusals as the plain command
// gives them, then the what-if; with -ifsafe and nothing at risk, the plain
// command itself. Returns the refusal's result, the what-if status, or the change's.
int32_t guarded_adapter_offline(int32_t adapter, const ChangeGuard& guard);
int32_t guarded_path_offline(uint32_t device, int32_t path, const ChangeGuard& guard);
