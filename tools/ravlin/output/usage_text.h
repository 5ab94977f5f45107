// The usage text and the two grammar error messages built from it.
#pragma once

#include <stdint.h>


// The usage text, as printed after the error headers.
extern const char kUsageText[];

// Assembles "Invalid command\n\n" + usage into the one static message buffer and
// returns it; the next assembly overwrites it.
const char* invalid_command_text();
// The same with "Invalid argument\n\n".
const char* invalid_argument_text();

// Print the invalid-command / invalid-argument message in the form "\n%s\n".
void print_invalid_command();
void print_invalid_argument();
