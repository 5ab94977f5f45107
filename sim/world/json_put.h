// The value writers of the scenario format, the counterparts of json_values:
// each writes one object member, "key": value, in the form the reader takes back.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "text_out.h"
#include "world_words.h"

namespace json_put {

void put_text(TextOut* out, const char* key, const char* text);
void put_uint(TextOut* out, const char* key, uint64_t value);
void put_int(TextOut* out, const char* key, int64_t value);
// A 64-bit value: a JSON number below 2^53, a text of decimal digits from there on,
// so that a reader that keeps numbers as doubles gets it back exactly.
void put_u64(TextOut* out, const char* key, uint64_t value);

// A value that is usually a flag: true/false for 0 and 1, the raw number otherwise.
void put_flag(TextOut* out, const char* key, uint32_t value);

// The table's word for `value`, or the raw number when it has none.
void put_enum(TextOut* out, const char* key, const WordTable* table, uint32_t value);

// -1 (unset) as null, any other value as the number.
void put_optional(TextOut* out, const char* key, int32_t value);

// A fixed text field, cut at its size even when the world left it unterminated.
template <size_t N>
void put_field(TextOut* out, const char* key, const char (&field)[N]) {
    json_key(out, key);
    json_string(out, field, N);
}

}  // namespace json_put
