// The scenario's "capacity" section: what the capacity pass-through answers per
// device and, scripted, per path (sim/scenarios/README.md). Reader and writer side
// by side, so every key read is written back the same way.
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

// Reads the "capacity" object into world->query, which the caller has cleared.
bool read_capacity(json_values::Reader* r, const cJSON* object, SimWorld* world);

// Writes the member "capacity": {...}: the devices with a capacity, every script.
void put_capacity(TextOut* out, const SimWorld* world);
