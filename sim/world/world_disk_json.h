// The scenario's "disks" section: the disk device objects \\.\PhysicalDriveN, their
// SCSI addresses, VPD pages 0x00 and 0xD0 and faults (sim/scenarios/README.md).
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

extern const WordTable kDiskRejectWords;  // 00 d0

// Reads the "disks" list into *disks, which the caller has cleared.
bool read_disks(json_values::Reader* r, const cJSON* list, SimDisks* disks);

// Writes the member "disks": [...], pages as their raw bytes, so it reads back the same.
void put_disks(TextOut* out, const SimDisks* disks);
