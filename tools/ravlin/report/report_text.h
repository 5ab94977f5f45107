// Text helpers of the report lines: driver texts made safe for one line, and
// bounded appends.
#pragma once

#include <stddef.h>

// A driver text field (at most `field_size` bytes, ended by a NUL or not) as a
// terminated text for a report line, cut to `size`: control bytes and "|", which
// would break the line-based monitoring format, become "?".
void report_text(const char* field, size_t field_size, char* out, size_t size);

// Appends printf-formatted text to the NUL-terminated text in `out`, cut to `size`.
__attribute__((format(printf, 3, 4))) void append_text(char* out, size_t size, const char* format, ...);
