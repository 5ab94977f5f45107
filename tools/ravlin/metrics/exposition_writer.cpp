#include "exposition_writer.h"

#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "driver_bytes.h"

namespace {

void flush(ExpoWriter* w) { sink_flush(w->sink, w->buffer, &w->used); }

void put(ExpoWriter* w, const char* bytes, size_t count) { sink_put(w->sink, w->buffer, sizeof w->buffer, &w->used, bytes, count); }

void put_text(ExpoWriter* w, const char* text) { put(w, text, strlen(text)); }

void put_unsigned(ExpoWriter* w, uint64_t value) {
    char digits[20];
    size_t at = decimal_digits(value, digits);
    put(w, digits + at, sizeof digits - at);
}

void put_head(ExpoWriter* w, const char* name, const ExpoLabels* labels) {
    put_text(w, name);
    if (labels != nullptr && labels->used > 0) {
        put(w, "{", 1);
        put(w, labels->text, labels->used);
        put(w, "}", 1);
    }
    put(w, " ", 1);
}

}  // namespace

void expo_start(ExpoWriter* w, JsonSink sink) {
    w->sink = sink;
    w->used = 0;
}

void expo_finish(ExpoWriter* w) { flush(w); }

void expo_family(ExpoWriter* w, const char* name, const char* type, const char* help) {
    put(w, "# HELP ", 7);
    put_text(w, name);
    put(w, " ", 1);
    put_text(w, help);
    put(w, "\n# TYPE ", 8);
    put_text(w, name);
    put(w, " ", 1);
    put_text(w, type);
    put(w, "\n", 1);
}

void expo_sample(ExpoWriter* w, const char* name, const ExpoLabels* labels, uint64_t value) {
    put_head(w, name, labels);
    put_unsigned(w, value);
    put(w, "\n", 1);
}

void expo_sample_pieces(ExpoWriter* w, const char* name, const ExpoPiece* pieces, int count, uint64_t value) {
    size_t name_length = strlen(name);
    size_t most = name_length + 2 + 1 + 20 + 1;  // braces, blank, value, line end
    for (int i = 0; i < count; i++) most += pieces[i].length + 1;
    if (most > sizeof w->buffer - w->used) flush(w);
    assert(most <= sizeof w->buffer);  // pieces are label sets of kExpoLabelSize bytes at most
    // The whole line fits: one copy per piece straight into the buffer.
    char* p = w->buffer + w->used;
    memcpy(p, name, name_length);
    p += name_length;
    char separator = '{';
    for (int i = 0; i < count; i++) {
        if (pieces[i].length == 0) continue;
        *p++ = separator;
        memcpy(p, pieces[i].text, pieces[i].length);
        p += pieces[i].length;
        separator = ',';
    }
    if (separator == ',') *p++ = '}';
    *p++ = ' ';
    char digits[20];
    size_t n = 0;
    do {
        digits[sizeof digits - 1 - n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    memcpy(p, digits + sizeof digits - n, n);
    p += n;
    *p++ = '\n';
    w->used = size_t(p - w->buffer);
}

void expo_sample_real(ExpoWriter* w, const char* name, const ExpoLabels* labels, double value, int decimals) {
    put_head(w, name, labels);
    char text[64];
    if (!(value >= 0 && value < 1e15)) value = 0;  // never NaN, a sign or an exponent
    int n = snprintf(text, sizeof text, "%.*f", decimals, value);
    put(w, text, n > 0 ? size_t(n) : 0);
    put(w, "\n", 1);
}

size_t expo_escape_value(const char* value, size_t count, char* out) {
    size_t n = 0;
    for (size_t i = 0; i < count && value[i] != '\0'; i++) {
        unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '\\' || c == '"') {
            out[n++] = '\\';
            out[n++] = char(c);
        } else if (c == '\n') {
            out[n++] = '\\';
            out[n++] = 'n';
        } else {
            n += driver_byte_utf8(c, out + n);
        }
    }
    return n;
}

void expo_labels_clear(ExpoLabels* l) {
    l->used = 0;
    l->cut = false;
}

void expo_label(ExpoLabels* l, const char* key, const char* value, size_t count) {
    const void* end = memchr(value, '\0', count);
    if (end != nullptr) count = size_t(static_cast<const char*>(end) - value);
    size_t key_length = strlen(key);
    // The whole pair is built first, so that a pair that does not fit leaves nothing.
    if (l->cut || key_length + 2 * count + 4 > sizeof l->text - l->used) {
        l->cut = true;
        return;
    }
    char* p = l->text + l->used;
    size_t n = 0;
    if (l->used > 0) p[n++] = ',';
    memcpy(p + n, key, key_length);
    n += key_length;
    p[n++] = '=';
    p[n++] = '"';
    n += expo_escape_value(value, count, p + n);
    p[n++] = '"';
    l->used += n;
}

void expo_label_text(ExpoLabels* l, const char* key, const char* value) { expo_label(l, key, value, strlen(value)); }

void expo_label_number(ExpoLabels* l, const char* key, int64_t value) {
    char text[24];
    size_t n = 0;
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    do {
        text[sizeof text - 1 - n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) text[sizeof text - 1 - n++] = '-';
    expo_label(l, key, text + sizeof text - n, n);
}
