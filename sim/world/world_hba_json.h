// The scenario's "hba" section: the HBA library's adapters, their ports and the
// ports each one discovered (sim/scenarios/README.md). Reader and writer are kept
// side by side so that every key read is written back the same way.
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

// Reads the "hba" object into *hba, which the caller has cleared.
bool read_hba(json_values::Reader* r, const cJSON* object, SimHba* hba);

// Writes the member "hba": {...}, every key, counts clamped to the tables.
void put_hba(TextOut* out, const SimHba* hba);
