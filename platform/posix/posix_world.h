// The simulator world for requests that do not go through the control device (the
// disks): the world of the open control device, or one loaded for a single call.
#pragma once

#include "sim_world.h"

// The world to answer in, or nullptr (last error set) when it cannot be loaded.
// Every successful call is paired with posix_world_release.
SimWorld* posix_world_acquire();
// Saves a world loaded by posix_world_acquire alone; nothing while the control device holds it.
void posix_world_release();
