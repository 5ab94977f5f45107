// Driver settings the simulator keeps beyond the base world: which devices have
// performance collection switched on one by one. Freestanding, like the world.
#pragma once

#include <stdint.h>

#include "sim_limits.h"

constexpr int SIM_PERF_DEVICE_SLOTS = SIM_DEVICE_SLOTS;  // one flag per device slot of the world

struct SimSettings {
    uint8_t device_perf[SIM_PERF_DEVICE_SLOTS];  // 1: IOCTL_DSM_SET_DEVICE_PERF named this slot
};
