// The simulator world behind the Linux build's control device, for the other
// simulated services of the same run (the device tree, the disks).
#pragma once

#include "sim_world.h"

// Prints "ravlin: simulator: <error>" on stderr, after what stdout holds.
void posix_report_simulator_error(const char* error);

// The world loaded while the control device is open, or nullptr when it is not.
SimWorld* posix_open_world();

// The control device's open and close: loads the world under the lock and lets
// the simulated driver see the open; lets it see the close, saves the world and
// lets go of the lock. Each returns 0 or the Windows error of the failure.
uint32_t posix_world_open_control();
uint32_t posix_world_close_control();

// The world to answer in for requests that do not go through the control device
// (the disks): the open control device's world, or one loaded for a single call;
// nullptr (last error set) when it cannot be loaded. Every successful call is
// paired with posix_world_release.
SimWorld* posix_world_acquire();
// Saves a world loaded by posix_world_acquire alone; nothing while the control device holds it.
void posix_world_release();
