// The version report's rows: what each row reads and what it found.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform.h"

constexpr int kShortVersionChars = 7;

struct VersionRow {
    const char* label;
    const char* file;
    bool build_number;  // true: the DSM's build number text; false: the fixed file version
};

enum class VersionFailure { None, InfoSize, Memory, Info, Query };

struct VersionFound {
    VersionFailure failure;
    uint32_t error;       // InfoSize: the last error
    bool found;           // Query: what the query answered
    uint32_t length;      // Query: the value's length
    const char* text;     // the build number text (build_number rows), inside `block`
    int text_length;      // bounded by the block
    PlatformFixedFileInfo info;  // the fixed file version (other rows)
    char* block;          // owned: freed by release_version_row
};

// Reads `row`'s version resource into *v, whose earlier contents are dropped (release them first).
void read_version_row(const VersionRow& row, VersionFound* v);
// Frees what *v holds.
void release_version_row(VersionFound* v);

// The rows the report reads, in their order; *count receives how many.
const VersionRow* version_rows(size_t* count);
// Prints the row's version line, or the failure line of its first failing step.
void print_version_row(const VersionRow& row, bool build_flag, const VersionFound& v);
