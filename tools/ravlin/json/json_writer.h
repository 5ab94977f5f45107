// A small streaming JSON writer: values go out as they are added, so a document
// of any length needs only this fixed-size record. Texts of any bytes come out
// as valid UTF-8: control characters are escaped and every byte above 0x7F
// stands for the code point of the same value (U+0080..U+00FF).
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

// Where the writer's bytes go; `write` is called with runs of at most the
// writer's buffer size.
struct JsonSink {
    void (*write)(void* context, const char* bytes, size_t count);
    void* context;
};

// The buffering every streaming writer here shares: `count` bytes appended to
// `buffer` (`capacity` bytes, `*used` of them held), full runs handed to `sink`.
// Inline, since the writers call it for every few bytes they write.
inline void sink_flush(const JsonSink& sink, const char* buffer, size_t* used) {
    if (*used > 0) sink.write(sink.context, buffer, *used);
    *used = 0;
}

inline void sink_put(const JsonSink& sink, char* buffer, size_t capacity, size_t* used, const char* bytes,
                     size_t count) {
    while (count > 0) {
        if (*used == capacity) sink_flush(sink, buffer, used);
        size_t room = capacity - *used;
        size_t n = count < room ? count : room;
        memcpy(buffer + *used, bytes, n);
        *used += n;
        bytes += n;
        count -= n;
    }
}

// The decimal digits of `value`, written at the end of `digits`; returns where they start.
inline size_t decimal_digits(uint64_t value, char (&digits)[20]) {
    size_t at = sizeof digits;
    do {
        digits[--at] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return at;
}

constexpr int kJsonMaxDepth = 16;
constexpr size_t kJsonBufferSize = 2048;

struct JsonWriter {
    JsonSink sink;
    char buffer[kJsonBufferSize];
    size_t used;
    int depth;             // open containers
    uint32_t has_items;    // bit d: the container at depth d holds a value already
    uint32_t is_object;    // bit d: the container at depth d is an object
    bool broken;           // a nesting mistake was made; the output is not a document
};

// A sink that appends to stdout (buffered by the C runtime).
JsonSink json_stdout_sink();

// Starts a new document on `sink`.
void json_start(JsonWriter* w, JsonSink sink);
// Ends the document with a line end and hands every byte still held to the sink.
// Returns false when the nesting was wrong (a container left open or closed twice).
bool json_finish(JsonWriter* w);

// `key` names the member inside an object and must be nullptr inside an array
// (and for the document's outermost value).
void json_begin_object(JsonWriter* w, const char* key);
void json_end_object(JsonWriter* w);
void json_begin_array(JsonWriter* w, const char* key);
void json_end_array(JsonWriter* w);

// A NUL-terminated text.
void json_text(JsonWriter* w, const char* key, const char* text);
// A fixed-size field: the bytes up to the first NUL, or all `size` when none ends it.
void json_field(JsonWriter* w, const char* key, const char* field, size_t size);
void json_int(JsonWriter* w, const char* key, int64_t value);
void json_uint(JsonWriter* w, const char* key, uint64_t value);
void json_bool(JsonWriter* w, const char* key, bool value);
void json_null(JsonWriter* w, const char* key);
