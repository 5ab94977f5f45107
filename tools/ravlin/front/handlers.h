// The command handlers the dispatcher calls, one per command, declared by the
// layer that serves each. Each prints its own messages and returns the run's
// result (0, -1, 3 or a system error code).
#pragma once

#include <stdint.h>

#include "config_commands.h"
#include "host_commands.h"
#include "query_commands.h"
#include "report_commands.h"

#include "output_words.h"

// The options of `query device` and `query devstats` on a line whose output words
// are taken off: the query flag word and the run's selection settings. 0, or -1
// after the message of the failure.
int32_t parse_options(uint32_t* query_flags, const CommandLine& line);
// The same for the whole line W1..Wk, output words and all.
int32_t parse_query_options(uint32_t* query_flags, int word_count, const char* const* words);
