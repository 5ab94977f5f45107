// The scenario's "device_tree" section: the disk drive instances that the setup
// API lists and the outcomes of the configuration-manager calls
// (sim/scenarios/README.md). Reader and writer are kept side by side.
#pragma once

#include <cJSON.h>

#include "json_values.h"
#include "sim_world.h"
#include "text_out.h"

// Reads the "device_tree" object into *tree, which the caller has cleared.
bool read_device_tree(json_values::Reader* r, const cJSON* object, SimDeviceTree* tree);

// Writes the member "device_tree": {...}, every key, the disk count clamped to the table.
void put_device_tree(TextOut* out, const SimDeviceTree* tree);

// One journal line of a property change, such as
// "property_change disk=1 state=disable scope=config -> error=0\n", or of setting
// its class-install parameters ("class_install_params disk=1 ...").
void put_property_change_entry(TextOut* out, const SimJournalEntry* entry);
