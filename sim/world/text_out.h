// A text built in a growing malloc'ed buffer, with helpers that lay out JSON for
// reading: each container is written either one member per line or all on one
// line. Allocation failures are remembered and reported once, by out_finish.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int kTextOutDepth = 12;  // the deepest: a discovered port's fail list, 9

struct TextOut {
    char* data;
    size_t length;
    size_t capacity;
    bool failed;
    int depth;
    bool multiline[kTextOutDepth];
    bool first[kTextOutDepth];
    char close[kTextOutDepth];
};

// Appends raw bytes; on a failed allocation sets `failed` and drops them.
void out_bytes(TextOut* out, const char* bytes, size_t n);
void out_text(TextOut* out, const char* text);
__attribute__((format(printf, 2, 3))) void out_format(TextOut* out, const char* format, ...);

// Returns the NUL-terminated text (malloc'ed; the caller frees it with free()),
// or nullptr after any failed allocation (the buffer is freed then).
char* out_finish(TextOut* out);

// Opens '{' or '['; a multiline container puts each member on its own line.
// Nesting deeper than kTextOutDepth is a writer bug and fails the text.
void json_begin(TextOut* out, char open, bool multiline);
void json_end(TextOut* out);
// Starts an object member: separator, then "key": .
void json_key(TextOut* out, const char* key);
// Starts a list element.
void json_next(TextOut* out);

// Values. json_string writes at most `max` bytes of `text` (stopping at a NUL), escaped.
void json_string(TextOut* out, const char* text, size_t max);
void json_uint(TextOut* out, uint64_t value);
void json_int(TextOut* out, int64_t value);
void json_bool(TextOut* out, bool value);
void json_null(TextOut* out);
