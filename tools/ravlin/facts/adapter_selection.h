// Which adapters an adapter query shows, for the text table and its document alike.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// An adapter with paths is active; only active adapters are ever shown.
bool adapter_is_active(const DSM_ADAPTER_ENTRY* e);
// The table's own count, clamped to the entries the record holds.
int32_t adapter_table_count(const DSM_ADAPTER_TABLE* table);
// True when the listing (no adapter number) shows entry `e` under `adapter_flags`.
bool adapter_listed(uint32_t adapter_flags, const DSM_ADAPTER_ENTRY* e);
// The note the listing shows when it keeps no adapter.
const char* no_adapter_note(uint32_t adapter_flags);
// For one adapter: nullptr when its row is shown, else the note shown instead ("": none).
const char* one_adapter_note(uint32_t adapter_flags, const DSM_ADAPTER_ENTRY* e);
