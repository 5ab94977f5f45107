// The refusals of the state changes that need no change request: bad numbers, an
// unknown adapter, a state already set, an unavailable path. Each prints its
// message as the change itself does (kept for the error document with -json).
#pragma once

#include <stdint.h>

// 0 when adapter `adapter` may be sent `word`; otherwise the change's result.
int32_t check_adapter_change(int32_t adapter, const char* word);

// 0 when path `path` of device `device` may be sent `word`; otherwise the change's
// result. Reads the device record.
int32_t check_path_change(uint32_t device, int32_t path, const char* word);
