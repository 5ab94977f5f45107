// Where the test hbaapi.dll gets its adapters: the HBA snapshot of the world
// that the test driver holds, read through \\.\RAVLINSIM.
#pragma once

#include "sim_hba.h"

// Reads the snapshot into *out. Without the test driver (the device does not
// open) *out is a machine without adapters, at the default version, and the
// result is true; false when the driver does not answer with a whole snapshot.
// Counts are clamped to the tables and texts terminated either way.
bool hba_snapshot_read(SimHbaSnapshot* out);
