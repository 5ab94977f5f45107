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

// The statistics document is written when the walk's result is known: begin, then
// what the walk finds, then end (which writes nothing for a failed run: the
// dispatcher writes its error document).
void adapter_stats_begin();
void adapter_stats_add(const DSM_ADAPTER_STATS* stats);
void adapter_stats_failed(int32_t adapter, const char* message);
void adapter_stats_note(const char* text);
void adapter_stats_end(int32_t result);
