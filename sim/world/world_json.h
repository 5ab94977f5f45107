// The simulator world as JSON: scenarios written by hand, and the world file
// that keeps the world between runs. One format serves both, so a world written
// by world_to_json reads back into the identical world. Portable (no POSIX).
// The format is described in sim/scenarios/README.md.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "sim_world.h"

// Parses a scenario or a saved world into *world, which is cleared first.
// Returns false on bad input, with a one-line message naming the key and index
// in `error` (bounded by error_size); *world is then cleared (no driver).
bool world_from_json(const char* text, SimWorld* world, char* error, size_t error_size);

// The whole world as JSON, keys in a fixed order, faults and journal included.
// `changed` is a run-time flag, not part of the world: it reads back as 0.
// Returns a malloc'ed text the caller frees with free(), or nullptr when out of memory.
char* world_to_json(const SimWorld* world);

// The journal alone, as the "journal" member of world_to_json writes it.
// Returns a malloc'ed text the caller frees with free(), or nullptr when out of memory.
char* journal_to_json(const SimWorld* world);

// The journal as text, one line per request, oldest first:
//   <name> in=<in_len> out=<out_len> data=<hex>[+] -> error=<error> returned=<returned>
//   open -> error=<error>       close -> error=<error>
// Returns a malloc'ed text the caller frees with free(), or nullptr when out of memory.
char* journal_to_text(const SimWorld* world);

// A request as a scenario names it: the IOCTL_DSM_... name, "open", "close",
// or a hexadecimal code with its "0x" ("0x84C9C008"). True when `word` is one.
bool world_request_code(const char* word, uint32_t* code);
