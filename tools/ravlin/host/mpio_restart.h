// The restart of MPIO disks whose device paths name another disk: after every
// hardware rescan iteration (verbose) and when a disk is found not connected (silent).
#pragma once

#include <stdint.h>

// Walks the driver's device slots (the cursor is g_settings.first_device, left at
// the last slot visited) and disables and re-enables the MPIO disk of every device
// that needs it. verbose != 0 prints what it finds in the device records.
void restart_mpio_disks(int verbose);
