// Where the test HBA library gets its adapters: the HBA snapshot of the simulated
// world. On Windows the test driver holds the world (read through \\.\RAVLINSIM,
// sim/windows/hbaapi); on Linux it is the world file under $RAVLIN_SIM_ROOT.
#pragma once

#include "sim_hba.h"

// Reads the snapshot into *out. Without a world (no test driver; no world file)
// *out is a machine without adapters, at the default version, and the result is
// true; false when the world is there but cannot be read whole. Counts are
// clamped to the tables and texts terminated either way.
bool hba_snapshot_read(SimHbaSnapshot* out);

// Adds one line (with its line end) to the library's journal of calls, which
// `dsmsim journal --hba` shows; a journal that cannot be written loses the line.
void hba_journal_note(const char* line);
