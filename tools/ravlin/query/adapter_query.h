// The adapter query and the adapter statistics: the two printers the handlers
// show_adapters and show_adapter_stats (handlers.h) build on.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// Prints one row of the adapter table for entry `i` of `table` (0 <= i < 32).
void print_adapter_row(int32_t i, const DSM_ADAPTER_TABLE* table);

// Prints one statistics block for a filled record.
void print_adapter_stats(const DSM_ADAPTER_STATS* stats);
