// The refusals of the state changes that need no change request: bad numbers, an
// unknown adapter, a state already set, an unavailable path. Each prints its
// message as the change itself does (kept for the error document with -json).
#pragma once

#include <stdint.h>

#include "whatif_report.h"

// 0 when adapter `adapter` may be sent `word`; otherwise the change's result.
int32_t check_adapter_change(int32_t adapter, const char* word);

// 0 when path `path` of device `device` may be sent `word`; otherwise the change's
// result. Reads the device record.
int32_t check_path_change(uint32_t device, int32_t path, const char* word);

// `set adapter <adapter> offline` and `set device <device> path <path> offline`
// behind -whatif or -ifsafe, the driver open: the refusals as the plain command
// gives them, then the what-if; with -ifsafe and nothing at risk, the plain
// command itself. Returns the refusal's result, the what-if status, or the change's.
int32_t guarded_adapter_offline(int32_t adapter, const ChangeGuard& guard);
int32_t guarded_path_offline(uint32_t device, int32_t path, const ChangeGuard& guard);
