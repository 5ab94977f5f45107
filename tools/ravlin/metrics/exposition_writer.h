// A streaming writer of the Prometheus text exposition format (0.0.4): a HELP and
// a TYPE line per metric, samples without timestamps, LF line ends, no byte-order
// mark. Bytes go out through a sink in runs, so a document of any size needs only
// this fixed-size record. Label values are escaped here and nowhere else.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "json_writer.h"  // JsonSink: where the bytes go

constexpr size_t kExpoBufferSize = 64 * 1024;
constexpr size_t kExpoLabelSize = 1024;

struct ExpoWriter {
    JsonSink sink;
    char buffer[kExpoBufferSize];
    size_t used;
};

// The label pairs of a sample, escaped: `a="x",b="y"` without the braces.
// Bounded: a pair that does not fit whole is left out and `cut` is set.
struct ExpoLabels {
    char text[kExpoLabelSize];
    size_t used;
    bool cut;
};

void expo_start(ExpoWriter* w, JsonSink sink);
// Hands every byte still held to the sink.
void expo_finish(ExpoWriter* w);

// The HELP and TYPE lines that open a metric's samples. `help` is our own text
// (no line end in it); `type` is "gauge" or "counter".
void expo_family(ExpoWriter* w, const char* name, const char* type, const char* help);

// Label text already escaped, kept elsewhere (`a="x",b="y"`, no braces).
struct ExpoPiece {
    const char* text;
    size_t length;
};

// One sample line whose labels are the non-empty pieces joined by commas: the way
// a document of many devices writes each device's labels without copying them. The
// line must fit the writer's buffer (a few label sets do, many times over).
void expo_sample_pieces(ExpoWriter* w, const char* name, const ExpoPiece* pieces, int count, uint64_t value);

// One sample line: `name{labels} value`. `labels` may be null or empty.
void expo_sample(ExpoWriter* w, const char* name, const ExpoLabels* labels, uint64_t value);
// The same with a decimal value of `decimals` fraction digits (seconds).
void expo_sample_real(ExpoWriter* w, const char* name, const ExpoLabels* labels, double value, int decimals);

void expo_labels_clear(ExpoLabels* l);
// Appends `key="value"` where value is `count` bytes of a driver text, up to its
// first NUL: '\\', '"' and a line end escaped, every byte above 0x7F as UTF-8 the
// way the JSON documents map it.
void expo_label(ExpoLabels* l, const char* key, const char* value, size_t count);
// A terminated text, or a number.
void expo_label_text(ExpoLabels* l, const char* key, const char* value);
void expo_label_number(ExpoLabels* l, const char* key, int64_t value);

// Writes the escaped form of `count` bytes (stopping at a NUL) into `out` (room
// for 2 * count bytes); returns its length.
size_t expo_escape_value(const char* value, size_t count, char* out);
