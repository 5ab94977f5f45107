// The two map displays over an open map file, apart from opening it, so that
// they can be driven from any stream.
#pragma once

#include <stdio.h>

// Prints every line of `file` as a row of the ESS map table (no header).
void print_ess_map_rows(FILE* file);

// Prints one grid line per disk of `file` (no header, no legend).
void print_port_map_rows(FILE* file);
