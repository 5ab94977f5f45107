// The entry point of ravlin: one command per run, its result the exit status.
#pragma once

#include <stdint.h>

#include "command_grammar.h"

// Runs the command given by the k words (words[0] is W1) and returns the result.
int32_t run_ravlin(int k, const char* const* words);

// Calls the handler that `command` selects, with the control device open; `line`
// is the command line without its output words.
int32_t run_command(const Command& command, const CommandLine& line);
