#include "json_writer.h"

#include <stdio.h>
#include <string.h>

#include "driver_bytes.h"
#include "output_policy.h"

namespace {

// Through the output policy, which gives a line end the form of the platform's text output.
void to_stdout(void*, const char* bytes, size_t count) { write_out(bytes, count); }

void flush(JsonWriter* w) { sink_flush(w->sink, w->buffer, &w->used); }

void put(JsonWriter* w, const char* bytes, size_t count) { sink_put(w->sink, w->buffer, sizeof w->buffer, &w->used, bytes, count); }

void put_char(JsonWriter* w, char c) {
    if (w->used == sizeof w->buffer) flush(w);
    w->buffer[w->used++] = c;
}

// True for the bytes that go out as they are: printable ASCII but '"' and '\'.
constexpr bool plain_byte(unsigned c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

struct PlainTable {
    bool plain[256];
};

constexpr PlainTable make_plain_table() {
    PlainTable t{};
    for (unsigned c = 0; c < 256; c++) t.plain[c] = plain_byte(c);
    return t;
}

// One look-up per byte: texts are most of what a listing writes.
constexpr PlainTable kPlain = make_plain_table();

// The quoted, escaped form of `count` bytes.
void put_string(JsonWriter* w, const char* text, size_t count) {
    static const char kHex[] = "0123456789abcdef";
    put_char(w, '"');
    size_t run = 0;  // bytes that need no escape, copied in one go
    for (size_t i = 0; i < count; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (kPlain.plain[c]) {
            run++;
            continue;
        }
        put(w, text + i - run, run);
        run = 0;
        char escaped[6];
        size_t n = 2;
        escaped[0] = '\\';
        if (c == '"' || c == '\\') escaped[1] = char(c);
        else if (c == '\n') escaped[1] = 'n';
        else if (c == '\r') escaped[1] = 'r';
        else if (c == '\t') escaped[1] = 't';
        else if (c == '\b') escaped[1] = 'b';
        else if (c == '\f') escaped[1] = 'f';
        else if (c < 0x80) {
            memcpy(escaped, "\\u00", 4);
            escaped[4] = kHex[c >> 4];
            escaped[5] = kHex[c & 0xF];
            n = 6;
        } else {
            n = driver_byte_utf8(c, escaped);
        }
        put(w, escaped, n);
    }
    put(w, text + count - run, run);
    put_char(w, '"');
}

// The separator and key before a value; false (and the writer marked broken) when
// a key is missing inside an object, given inside an array, or a second top-level
// value is started.
bool begin_value(JsonWriter* w, const char* key) {
    uint32_t bit = 1u << w->depth;
    bool in_object = w->depth > 0 && (w->is_object & bit) != 0;
    if (w->depth == 0 ? ((w->has_items & 1u) != 0 || key != nullptr) : (key != nullptr) != in_object) {
        w->broken = true;
        return false;
    }
    if ((w->has_items & bit) != 0 && w->depth > 0) put_char(w, ',');
    w->has_items |= bit;
    if (key != nullptr) {
        put_string(w, key, strlen(key));
        put_char(w, ':');
    }
    return true;
}

void begin_container(JsonWriter* w, const char* key, bool object) {
    if (w->depth + 1 >= kJsonMaxDepth) {
        w->broken = true;
        return;
    }
    if (!begin_value(w, key)) return;
    put_char(w, object ? '{' : '[');
    w->depth++;
    uint32_t bit = 1u << w->depth;
    w->has_items &= ~bit;
    if (object) w->is_object |= bit;
    else w->is_object &= ~bit;
}

void end_container(JsonWriter* w, bool object) {
    uint32_t bit = 1u << w->depth;
    if (w->depth == 0 || ((w->is_object & bit) != 0) != object) {
        w->broken = true;
        return;
    }
    put_char(w, object ? '}' : ']');
    w->depth--;
}

void put_unsigned(JsonWriter* w, uint64_t value) {
    char digits[20];
    size_t at = decimal_digits(value, digits);
    put(w, digits + at, sizeof digits - at);
}

}  // namespace

JsonSink json_stdout_sink() { return JsonSink{to_stdout, nullptr}; }

void json_start(JsonWriter* w, JsonSink sink) {
    w->sink = sink;
    w->used = 0;
    w->depth = 0;
    w->has_items = 0;
    w->is_object = 0;
    w->broken = false;
}

bool json_finish(JsonWriter* w) {
    put_char(w, '\n');
    flush(w);
    return !w->broken && w->depth == 0 && (w->has_items & 1u) != 0;
}

void json_begin_object(JsonWriter* w, const char* key) { begin_container(w, key, true); }
void json_end_object(JsonWriter* w) { end_container(w, true); }
void json_begin_array(JsonWriter* w, const char* key) { begin_container(w, key, false); }
void json_end_array(JsonWriter* w) { end_container(w, false); }

void json_text(JsonWriter* w, const char* key, const char* text) {
    if (begin_value(w, key)) put_string(w, text, strlen(text));
}

void json_field(JsonWriter* w, const char* key, const char* field, size_t size) {
    const void* end = memchr(field, '\0', size);
    size_t length = end != nullptr ? size_t(static_cast<const char*>(end) - field) : size;
    if (begin_value(w, key)) put_string(w, field, length);
}

void json_int(JsonWriter* w, const char* key, int64_t value) {
    if (!begin_value(w, key)) return;
    if (value < 0) {
        put_char(w, '-');
        put_unsigned(w, 0 - uint64_t(value));
    } else {
        put_unsigned(w, uint64_t(value));
    }
}

void json_uint(JsonWriter* w, const char* key, uint64_t value) {
    if (begin_value(w, key)) put_unsigned(w, value);
}

void json_bool(JsonWriter* w, const char* key, bool value) {
    if (begin_value(w, key)) put(w, value ? "true" : "false", value ? 4 : 5);
}

void json_null(JsonWriter* w, const char* key) {
    if (begin_value(w, key)) put(w, "null", 4);
}
