// The adapter query and the adapter statistics: the two printers the handlers
// show_adapters and show_adapter_stats (query_commands.h) build on.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// Shows adapter `adapter` (AF_ONE_ADAPTER set; 0 <= adapter < 32) or the listing
// from a table already read, under the interface filter of `adapter_flags`. Always 0.
int32_t show_adapter_table(int32_t adapter, uint32_t adapter_flags, const DSM_ADAPTER_TABLE* table);

// Prints one row of the adapter table for entry `i` of `table` (0 <= i < 32).
void print_adapter_row(int32_t i, const DSM_ADAPTER_TABLE* table);

// Prints one statistics block for a filled record.
void print_adapter_stats(const DSM_ADAPTER_STATS* stats);
