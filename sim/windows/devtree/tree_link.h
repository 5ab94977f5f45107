// The test device tree's way to the world: one SimTreeCall to the test driver's
// simulator device per call, and one journal line per call.
#pragma once

#include "sim_tree_call.h"

// Sends `call` to the test driver and reads its answer back in place. False
// when the driver cannot be reached or answers with anything but the whole record.
bool tree_link_call(SimTreeCall* call);

// Appends one line (printf-style; a newline is added) to the DLLs' journal of
// calls, which `dsmsim.exe journal --tree` prints. Nothing when the driver is absent.
__attribute__((format(printf, 1, 2))) void tree_link_note(const char* format, ...);
