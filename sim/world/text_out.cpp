// The text writer behind world_to_json and the journal texts.
#include "text_out.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool reserve(TextOut* out, size_t more) {
    if (out->failed) return false;
    if (out->length + more + 1 <= out->capacity) return true;
    size_t capacity = out->capacity > 0 ? out->capacity : 65536;
    while (out->length + more + 1 > capacity) capacity *= 2;
    char* data = static_cast<char*>(realloc(out->data, capacity));
    if (data == nullptr) {
        out->failed = true;
        return false;
    }
    out->data = data;
    out->capacity = capacity;
    return true;
}

void indent(TextOut* out) {
    static const char kSpaces[] = "                ";
    int n = 2 * out->depth;
    if (n > int(sizeof kSpaces) - 1) n = int(sizeof kSpaces) - 1;
    out_bytes(out, "\n", 1);
    out_bytes(out, kSpaces, size_t(n));
}

// Writes what goes before a member of the innermost container.
void separate(TextOut* out) {
    int level = out->depth - 1;
    if (level < 0) return;
    bool first = out->first[level];
    out->first[level] = false;
    if (out->multiline[level]) {
        if (!first) out_bytes(out, ",", 1);
        indent(out);
    } else if (!first) {
        out_bytes(out, ", ", 2);
    }
}

}  // namespace

void out_bytes(TextOut* out, const char* bytes, size_t n) {
    if (!reserve(out, n)) return;
    memcpy(out->data + out->length, bytes, n);
    out->length += n;
    out->data[out->length] = '\0';
}

void out_text(TextOut* out, const char* text) { out_bytes(out, text, strlen(text)); }

void out_format(TextOut* out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return;
    out_bytes(out, text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

char* out_finish(TextOut* out) {
    if (!out->failed && out->data == nullptr) reserve(out, 0);
    if (out->failed) {
        free(out->data);
        out->data = nullptr;
        return nullptr;
    }
    out->data[out->length] = '\0';
    char* text = out->data;
    out->data = nullptr;
    return text;
}

void json_begin(TextOut* out, char open, bool multiline) {
    if (out->depth >= kTextOutDepth) {
        out->failed = true;
        return;
    }
    out_bytes(out, &open, 1);
    out->multiline[out->depth] = multiline;
    out->first[out->depth] = true;
    out->close[out->depth] = open == '{' ? '}' : ']';
    out->depth++;
}

void json_end(TextOut* out) {
    if (out->depth <= 0) {
        out->failed = true;
        return;
    }
    int level = --out->depth;
    if (out->multiline[level] && !out->first[level]) indent(out);
    out_bytes(out, &out->close[level], 1);
}

void json_key(TextOut* out, const char* key) {
    separate(out);
    out_bytes(out, "\"", 1);
    out_text(out, key);
    out_bytes(out, "\": ", 3);
}

void json_next(TextOut* out) { separate(out); }

void json_string(TextOut* out, const char* text, size_t max) {
    out_bytes(out, "\"", 1);
    size_t start = 0;
    size_t i = 0;
    for (; i < max && text[i] != '\0'; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out_bytes(out, text + start, i - start);
        if (c == '"') out_bytes(out, "\\\"", 2);
        else if (c == '\\') out_bytes(out, "\\\\", 2);
        else out_format(out, "\\u%04x", unsigned(c));
        start = i + 1;
    }
    out_bytes(out, text + start, i - start);
    out_bytes(out, "\"", 1);
}

void json_uint(TextOut* out, uint64_t value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    char text[24];
    for (int i = 0; i < n; i++) text[i] = digits[n - 1 - i];
    out_bytes(out, text, size_t(n));
}

void json_int(TextOut* out, int64_t value) {
    if (value < 0) {
        out_bytes(out, "-", 1);
        json_uint(out, uint64_t(0) - uint64_t(value));
    } else {
        json_uint(out, uint64_t(value));
    }
}

void json_bool(TextOut* out, bool value) { out_text(out, value ? "true" : "false"); }

void json_null(TextOut* out) { out_text(out, "null"); }
