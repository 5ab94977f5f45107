// The value readers of the scenario format. Each checks one JSON value against
// the field it is meant for (type, range, room) and stores it only when it fits;
// otherwise it writes a message that names the value's place and returns false.
#pragma once

#include <cJSON.h>
#include <stddef.h>
#include <stdint.h>

#include "world_words.h"

namespace json_values {

// Where the caller's message goes.
struct Reader {
    char* error;
    size_t error_size;
};

// Where a value sits in the document, such as "devices[3].paths[1]"; "" at the top.
struct Where {
    char text[128];
};

// "list[index]" and "outer.list[index]".
Where where_item(const char* list, int index);
Where where_nested(const Where& outer, const char* list, int index);

// Writes "<where>.<key>: <message>" into the reader's error text; returns false.
__attribute__((format(printf, 4, 5))) bool fail(Reader* r, const Where& where, const char* key,
                                                const char* format, ...);

// What kind of JSON value `item` is, for messages (a static text).
const char* kind(const cJSON* item);

// The value of a hex digit, or -1.
int hex_digit(char c);

// A whole number in [min, max], given as a JSON number or a "0x..." text.
bool read_integer(Reader* r, const Where& w, const char* key, const cJSON* item, int64_t min, int64_t max,
                  int64_t* out);
bool read_u32(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t* out);
bool read_i32(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out);
// An optional setting such as a fault's slot: null is -1 (unset); any negative number is kept.
bool read_optional_i32(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out);
// The first whole number a JSON number may no longer hold exactly (2^53).
constexpr double kExactNumberLimit = 9007199254740992.0;

// A 64-bit value: a "0x..." text of up to 16 digits, a text of decimal digits
// ("18446744073709551615"), or a JSON number below 2^53, where every value is exact.
bool read_u64(Reader* r, const Where& w, const char* key, const cJSON* item, uint64_t* out);

// true/false, or a raw number up to `max` for values a real driver might send.
bool read_flag(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t max, uint32_t* out);
bool read_flag8(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t* out);

// One of the table's words, or a raw number up to `max`.
bool read_enum(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
               uint32_t max, uint32_t* out);
bool read_enum8(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
                uint8_t* out);

// A set of the table's words as a list, such as ["open", "name"]: the OR of their
// values. An unknown or repeated word is refused.
bool read_word_set(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
                   uint8_t* out);

// A count that may be left to its default: null is -1, else 0 to INT32_MAX.
bool read_optional_count(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out);

// "2100000A0B0C0001": a WWN's eight bytes in order, as 16 hex digits.
bool read_wwn(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t (&out)[8]);

// A text of at most `max_chars` characters into `dst`, which has room for max_chars + 1.
bool read_text(Reader* r, const Where& w, const char* key, const cJSON* item, char* dst, size_t max_chars);

// A text into a terminated field: as many characters as the field holds less one.
template <size_t N>
bool read_field(Reader* r, const Where& w, const char* key, const cJSON* item, char (&field)[N]) {
    return read_text(r, w, key, item, field, N - 1);
}

// Exactly five counters, in the order the statistics records hold them.
bool read_counters(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t (&out)[5]);

// "01-00-02-03": four bytes as two hex digits each, joined by '-'.
bool read_scsi_address(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t (&out)[4]);

// "a.b.c.d": four decimal numbers of 0 to 65535.
bool read_file_version(Reader* r, const Where& w, const char* key, const cJSON* item, uint16_t (&out)[4]);

// Checks the kind of a container: an object, or a list of at most `limit` entries named `what`.
bool expect_object(Reader* r, const Where& w, const char* key, const cJSON* item);
bool expect_list(Reader* r, const Where& w, const char* key, const cJSON* item, int limit, const char* what);

// Reports a key the format does not know; returns false.
bool unknown_key(Reader* r, const Where& w, const char* key);

// True when `key` is `name`.
bool is(const char* key, const char* name);

}  // namespace json_values
