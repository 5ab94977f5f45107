// The simulator world behind the Linux build's control device, for the other
// simulated services of the same run (the device tree, the disks).
#pragma once

#include "sim_world.h"

// The world loaded while the control device is open, or nullptr when it is not.
SimWorld* posix_open_world();

// The world to answer in for requests that do not go through the control device
// (the disks): the open control device's world, or one loaded for a single call;
// nullptr (last error set) when it cannot be loaded. Every successful call is
// paired with posix_world_release.
SimWorld* posix_world_acquire();
// Saves a world loaded by posix_world_acquire alone; nothing while the control device holds it.
void posix_world_release();
