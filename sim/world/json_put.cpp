// The value writers of the scenario format.
#include "json_put.h"

#include <string.h>

namespace json_put {

void put_text(TextOut* out, const char* key, const char* text) {
    json_key(out, key);
    json_string(out, text, strlen(text));
}

void put_uint(TextOut* out, const char* key, uint64_t value) {
    json_key(out, key);
    json_uint(out, value);
}

void put_u64(TextOut* out, const char* key, uint64_t value) {
    json_key(out, key);
    if (value < (uint64_t(1) << 53)) {
        json_uint(out, value);
        return;
    }
    out_bytes(out, "\"", 1);
    json_uint(out, value);
    out_bytes(out, "\"", 1);
}

void put_int(TextOut* out, const char* key, int64_t value) {
    json_key(out, key);
    json_int(out, value);
}

void put_flag(TextOut* out, const char* key, uint32_t value) {
    json_key(out, key);
    if (value <= 1) json_bool(out, value == 1);
    else json_uint(out, value);
}

void put_enum(TextOut* out, const char* key, const WordTable* table, uint32_t value) {
    const char* word = word_name(table, value);
    if (word != nullptr) put_text(out, key, word);
    else put_uint(out, key, value);
}

void put_optional(TextOut* out, const char* key, int32_t value) {
    json_key(out, key);
    if (value == -1) json_null(out);
    else json_int(out, value);
}

}  // namespace json_put
