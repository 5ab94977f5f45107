// The scenario's "device_perf" list: the device slots whose performance collection
// was switched on one by one (sim/scenarios/README.md). Reader and writer side by side.
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

// Reads a list of slot numbers into the flags of *settings.
bool read_device_perf(json_values::Reader* r, const cJSON* list, SimSettings* settings);

// Writes the member "device_perf": [...], the flagged slots in ascending order.
void put_device_perf(TextOut* out, const SimSettings* settings);
