// The value readers of the scenario format: each checks one JSON value against
// the field it is meant for and stores it only when it fits.
#include "json_values.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace json_values {

Where where_item(const char* list, int index) {
    Where w;
    snprintf(w.text, sizeof w.text, "%.20s[%d]", list, index);
    return w;
}

Where where_nested(const Where& outer, const char* list, int index) {
    Where w;
    snprintf(w.text, sizeof w.text, "%.60s.%.20s[%d]", outer.text, list, index);
    return w;
}

// Writes "<where>.<key>: <message>" into the reader's error text; returns false.
bool fail(Reader* r, const Where& where, const char* key, const char* format, ...) {
    char message[200];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (r->error == nullptr || r->error_size == 0) return false;
    if (where.text[0] != '\0' && key != nullptr)
        snprintf(r->error, r->error_size, "%s.%s: %s", where.text, key, message);
    else if (where.text[0] != '\0' || key != nullptr)
        snprintf(r->error, r->error_size, "%s: %s", where.text[0] != '\0' ? where.text : key, message);
    else
        snprintf(r->error, r->error_size, "%s", message);
    return false;
}

// What kind of JSON value `item` is, for messages (a static text).
const char* kind(const cJSON* item) {
    if (cJSON_IsString(item)) return "a text";
    if (cJSON_IsNumber(item)) return "a number";
    if (cJSON_IsBool(item)) return "true or false";
    if (cJSON_IsNull(item)) return "null";
    if (cJSON_IsArray(item)) return "a list";
    if (cJSON_IsObject(item)) return "an object";
    return "not a value";
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// True when `text` is "0x" and 1 to 16 hex digits; stores the value.
static bool parse_hex_u64(const char* text, uint64_t* value) {
    if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X') || text[2] == '\0') return false;
    uint64_t v = 0;
    int digits = 0;
    for (const char* p = text + 2; *p != '\0'; p++) {
        int d = hex_digit(*p);
        if (d < 0 || ++digits > 16) return false;
        v = v << 4 | uint64_t(d);
    }
    *value = v;
    return true;
}

// A whole number in [min, max], given as a JSON number or a "0x..." text.
bool read_integer(Reader* r, const Where& w, const char* key, const cJSON* item, int64_t min, int64_t max,
                  int64_t* out) {
    int64_t n = 0;
    if (cJSON_IsNumber(item)) {
        double v = item->valuedouble;
        if (!(v >= -9.0e18 && v <= 9.0e18) || double(int64_t(v)) != v)
            return fail(r, w, key, "%g is not a whole number", v);
        n = int64_t(v);
    } else if (cJSON_IsString(item)) {
        uint64_t u;
        if (!parse_hex_u64(item->valuestring, &u) || u > uint64_t(INT64_MAX))
            return fail(r, w, key, "\"%.40s\" is not a number (a number or a \"0x...\" text)", item->valuestring);
        n = int64_t(u);
    } else {
        return fail(r, w, key, "a number expected, found %s", kind(item));
    }
    if (n < min || n > max)
        return fail(r, w, key, "%lld is out of range (%lld to %lld)", (long long)n, (long long)min,
                    (long long)max);
    *out = n;
    return true;
}

bool read_u32(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t* out) {
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, UINT32_MAX, &n)) return false;
    *out = uint32_t(n);
    return true;
}

bool read_i32(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out) {
    int64_t n = 0;
    if (!read_integer(r, w, key, item, INT32_MIN, INT32_MAX, &n)) return false;
    *out = int32_t(n);
    return true;
}

// An optional setting such as a fault's slot: null is -1 (unset); any negative number is kept.
bool read_optional_i32(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out) {
    if (cJSON_IsNull(item)) {
        *out = -1;
        return true;
    }
    return read_i32(r, w, key, item, out);
}

// True when `text` is 1 to 20 decimal digits whose value fits 64 bits; stores it.
static bool parse_decimal_u64(const char* text, uint64_t* value) {
    if (text[0] == '\0') return false;
    uint64_t v = 0;
    for (const char* p = text; *p != '\0'; p++) {
        if (*p < '0' || *p > '9') return false;
        uint64_t d = uint64_t(*p - '0');
        if (v > (UINT64_MAX - d) / 10) return false;
        v = v * 10 + d;
    }
    *value = v;
    return true;
}

// A 64-bit value. cJSON keeps numbers as doubles, which hold every whole number
// below 2^53 exactly and nothing above it reliably, so larger values come as texts.
bool read_u64(Reader* r, const Where& w, const char* key, const cJSON* item, uint64_t* out) {
    if (cJSON_IsString(item)) {
        const char* text = item->valuestring;
        if (parse_hex_u64(text, out) || parse_decimal_u64(text, out)) return true;
        if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
            return fail(r, w, key, "\"%.40s\" is not a \"0x...\" text of up to 16 digits", text);
        return fail(r, w, key, "\"%.40s\" is neither a \"0x...\" text nor decimal digits up to 18446744073709551615",
                    text);
    }
    if (cJSON_IsNumber(item) && item->valuedouble >= kExactNumberLimit)
        return fail(r, w, key, "%.17g is not exact as a JSON number (2^53 or more): write it as a text of digits",
                    item->valuedouble);
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, int64_t(kExactNumberLimit) - 1, &n)) return false;
    *out = uint64_t(n);
    return true;
}

// true/false, or a raw number up to `max` for values a real driver might send.
bool read_flag(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t max, uint32_t* out) {
    if (cJSON_IsBool(item)) {
        *out = cJSON_IsTrue(item) ? 1 : 0;
        return true;
    }
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, max, &n)) return false;
    *out = uint32_t(n);
    return true;
}

bool read_flag8(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t* out) {
    uint32_t v;
    if (!read_flag(r, w, key, item, UINT8_MAX, &v)) return false;
    *out = uint8_t(v);
    return true;
}

// One of the table's words, or a raw number up to `max`.
bool read_enum(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
               uint32_t max, uint32_t* out) {
    if (cJSON_IsString(item)) {
        if (word_value(table, item->valuestring, out)) return true;
        char words[160];
        word_list(table, words, sizeof words);
        return fail(r, w, key, "unknown word \"%.40s\" (%s, or a number)", item->valuestring, words);
    }
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, max, &n)) return false;
    *out = uint32_t(n);
    return true;
}

bool read_enum8(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
                uint8_t* out) {
    uint32_t v;
    if (!read_enum(r, w, key, item, table, UINT8_MAX, &v)) return false;
    *out = uint8_t(v);
    return true;
}

bool read_word_set(Reader* r, const Where& w, const char* key, const cJSON* item, const WordTable* table,
                   uint8_t* out) {
    char words[160];
    word_list(table, words, sizeof words);
    if (!cJSON_IsArray(item)) return fail(r, w, key, "a list of %s expected, found %s", words, kind(item));
    uint8_t set = 0;
    const cJSON* entry;
    cJSON_ArrayForEach(entry, item) {
        uint32_t bit = 0;
        if (!cJSON_IsString(entry) || !word_value(table, entry->valuestring, &bit))
            return fail(r, w, key, "%s is not one of %s", cJSON_IsString(entry) ? "a word" : kind(entry), words);
        if (set & bit) return fail(r, w, key, "\"%.40s\" is listed twice", entry->valuestring);
        set = uint8_t(set | bit);
    }
    *out = set;
    return true;
}

bool read_optional_count(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* out) {
    if (cJSON_IsNull(item)) {
        *out = -1;
        return true;
    }
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, INT32_MAX, &n)) return false;
    *out = int32_t(n);
    return true;
}

bool read_wwn(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t (&out)[8]) {
    const char* text = cJSON_IsString(item) ? item->valuestring : "";
    bool ok = strlen(text) == 16;
    uint8_t bytes[8] = {};
    for (int i = 0; ok && i < 8; i++) {
        int hi = hex_digit(text[2 * i]);
        int lo = hex_digit(text[2 * i + 1]);
        ok = hi >= 0 && lo >= 0;
        if (ok) bytes[i] = uint8_t(hi << 4 | lo);
    }
    if (!ok) return fail(r, w, key, "16 hex digits such as \"2100000A0B0C0001\" expected");
    memcpy(out, bytes, sizeof bytes);
    return true;
}

// A text of at most `max_chars` characters into `dst`, which has room for max_chars + 1.
bool read_text(Reader* r, const Where& w, const char* key, const cJSON* item, char* dst, size_t max_chars) {
    if (!cJSON_IsString(item)) return fail(r, w, key, "a text expected, found %s", kind(item));
    size_t n = strlen(item->valuestring);
    if (n > max_chars)
        return fail(r, w, key, "text longer than %u characters (%u)", unsigned(max_chars), unsigned(n));
    // A text ends at its first NUL (an escaped \u0000 included): the rest of the
    // field is zero, so nothing of an earlier value or past the NUL stays behind.
    memset(dst, 0, max_chars + 1);
    memcpy(dst, item->valuestring, n);
    return true;
}

// Exactly five counters, in the order the statistics records hold them.
bool read_counters(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t (&out)[5]) {
    if (!cJSON_IsArray(item) || cJSON_GetArraySize(item) != 5)
        return fail(r, w, key, "a list of 5 numbers expected");
    int i = 0;
    const cJSON* value;
    cJSON_ArrayForEach(value, item) {
        char name[48];
        snprintf(name, sizeof name, "%s[%d]", key, i);
        if (!read_u32(r, w, name, value, &out[i])) return false;
        i++;
    }
    return true;
}

// "01-00-02-03": four bytes as two hex digits each, joined by '-'.
bool read_scsi_address(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t (&out)[4]) {
    const char* text = cJSON_IsString(item) ? item->valuestring : nullptr;
    bool good = text != nullptr && strlen(text) == 11;
    for (int i = 0; good && i < 4; i++) {
        int hi = hex_digit(text[3 * i]);
        int lo = hex_digit(text[3 * i + 1]);
        if (hi < 0 || lo < 0 || (i < 3 && text[3 * i + 2] != '-')) good = false;
        else out[i] = uint8_t(hi << 4 | lo);
    }
    if (!good) return fail(r, w, key, "four hex bytes such as \"01-00-02-03\" expected");
    return true;
}

// "a.b.c.d": four decimal numbers of 0 to 65535.
bool read_file_version(Reader* r, const Where& w, const char* key, const cJSON* item, uint16_t (&out)[4]) {
    const char* p = cJSON_IsString(item) ? item->valuestring : nullptr;
    bool good = p != nullptr;
    for (int i = 0; good && i < 4; i++) {
        uint32_t v = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 6) {
            v = v * 10 + uint32_t(*p++ - '0');
            digits++;
        }
        if (digits == 0 || v > 0xFFFF || *p != (i < 3 ? '.' : '\0')) good = false;
        else out[i] = uint16_t(v);
        if (i < 3) p++;
    }
    if (!good) return fail(r, w, key, "a version such as \"6.3.9600.16384\" expected");
    return true;
}

bool expect_object(Reader* r, const Where& w, const char* key, const cJSON* item) {
    if (cJSON_IsObject(item)) return true;
    return fail(r, w, key, "an object expected, found %s", kind(item));
}

// Checks that `item` is a list of at most `limit` entries named `what`.
bool expect_list(Reader* r, const Where& w, const char* key, const cJSON* item, int limit, const char* what) {
    if (!cJSON_IsArray(item)) return fail(r, w, key, "a list expected, found %s", kind(item));
    int n = cJSON_GetArraySize(item);
    if (n > limit) return fail(r, w, key, "more than %d %s (%d)", limit, what, n);
    return true;
}

bool unknown_key(Reader* r, const Where& w, const char* key) { return fail(r, w, key, "unknown key"); }

bool is(const char* key, const char* name) { return strcmp(key, name) == 0; }

}  // namespace json_values
