// What a pass of `query adaptstats` shows its findings with: the text blocks, or the
// statistics document. The walk decides what to ask and what each adapter's outcome
// is; a view only shows.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

struct AdapterStatsView {
    void (*begin)();
    // A note of the walk about no single adapter's figures (a built-in message).
    void (*note)(const char* message);
    // An adapter's figures, or why there are none (the failure message already
    // went through print_message).
    void (*stats)(const DSM_ADAPTER_STATS* stats);
    void (*failed)(int32_t adapter, const char* message);
    void (*end)(int32_t result);
};

// The text form (query/adapter_query.cpp).
const AdapterStatsView* text_adapter_stats_view();
// The machine form (json/adapter_document.cpp).
const AdapterStatsView* json_adapter_stats_view();
