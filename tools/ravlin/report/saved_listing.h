// Reading a device listing saved with `ravlin query device -json > FILE`: outside
// input, so every size is bounded and every member's type checked.
#pragma once

#include <stddef.h>

#include "topology.h"

// Files above this are refused before they are read.
constexpr size_t kSavedListingMaxBytes = 64u << 20;
// Parsing may take at most this much memory for the document tree.
constexpr size_t kSavedListingParseBudget = 512u << 20;
// Containers nested deeper than this are refused before parsing (a listing needs 5).
constexpr int kSavedListingMaxDepth = 32;

// The schema version this program reads.
constexpr char kListingSchema[] = "ravlin/1";

// Parses `size` bytes of `text` (no NUL needed) into *t, which must be empty.
// Returns true, or false with one line (no line end) saying why in `error`,
// cut to `error_size`. Nothing is kept besides *t.
bool read_saved_listing(const char* text, size_t size, Topology* t, char* error, size_t error_size);

// The deepest nesting of arrays and objects in `text` (strings skipped), counted
// up to `limit` + 1 at most.
int json_nesting_depth(const char* text, size_t size, int limit);

// A saved string as the bytes it stands for: code points U+0080..U+00FF become
// the byte of the same value; anything else is kept as it is. Cut to `out_size`.
// Returns the number of bytes it needs (without the NUL), which may exceed it.
size_t bytes_from_saved_text(const char* text, char* out, size_t out_size);
