// The steps of the MPIO disk restart: which device needs it, the pattern that
// finds its disk instances, and the state changes of those instances.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"
#include "platform.h"

constexpr int kRestartSerialSize = 64;    // the 63-byte SerialNumber field and a NUL
constexpr int kRestartPatternSize = 127;  // two digits per serial character and a NUL

// The serial of a device that needs a restart: true when one of the record's
// paths names another disk than the device itself. `serial` (kRestartSerialSize,
// caller's) gets the SerialNumber text; *path_index the first such path.
bool record_restart_serial(const DSM_DEVICE_RECORD* record, char* serial, uint32_t* path_index);

// Writes `serial` as uppercase hexadecimal, two digits per character, into
// `pattern` (kRestartPatternSize, caller's), terminated.
void build_restart_pattern(const char* serial, char* pattern);

// Reads the device record of slot g_settings.first_device. Returns 0 (with
// *found set and `serial` filled when the device needs a restart), 3 for an
// empty, removed or invalid slot, -1 for any other failure. verbose != 0 prints
// what it finds and the failures.
int32_t find_restart_serial(int verbose, char* serial, bool* found);

// Applies `state` (PLATFORM_DICS_DISABLE or _ENABLE) to every present disk whose
// instance identifier holds "MPIO" and `pattern`. Returns 0 or the last error of
// a failed change.
uint32_t change_mpio_disk_state(const char* pattern, uint32_t state);

// Changes one disk of `set` to `state` and prints the outcome. Returns 0 or a
// Windows error code.
uint32_t change_disk_state(PlatformDiskSet set, PlatformDisk* disk, uint32_t state);
