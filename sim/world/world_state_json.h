// The scenario's "preserve_access" section: how the driver refuses a change that
// would leave a device without an open path (sim/scenarios/README.md).
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

// Reads {"error": n} into *p; false with the reader's message on bad input.
bool read_preserve_access(json_values::Reader* r, const cJSON* object, SimPreserveAccess* p);

// Writes the member "preserve_access": {...}.
void put_preserve_access(TextOut* out, const SimPreserveAccess* p);
