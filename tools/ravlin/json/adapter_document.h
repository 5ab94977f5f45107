// The machine form of `query adapter` and `query adaptstats`.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"
#include "json_writer.h"

// Writes the adapters document on `sink` for a table already read: the rows the text
// table shows under `adapter_flags` (one adapter with AF_ONE_ADAPTER, 0 <= adapter < 32),
// or its note. Returns 0, as the text form does.
int32_t write_adapters_document(int32_t adapter, uint32_t adapter_flags, const DSM_ADAPTER_TABLE* table, JsonSink sink);

// Writes the member "adapters" of a device listing: every entry of `table` (its count
// clamped to the entries it holds), each with whether the adapter query shows it.
void write_listing_adapters(JsonWriter* w, const DSM_ADAPTER_TABLE* table);

// The statistics document (json_adapter_stats_view, facts/adapter_stats_view.h) is
// written when the walk's result is known; a failed walk writes nothing, the
// dispatcher writes its error document.
