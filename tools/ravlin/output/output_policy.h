// When standard output reaches the console. A console write costs a round trip
// to the console host (on Wine a redraw), so stdout is fully buffered and handed
// over only where order or timing matters: before a colour change, before text
// on stderr, before a child process writes to the same console, at the end of
// each device of a listing and of each display pass, before a long wait, and at
// exit. Shared by ravlin and fenmar; nothing else calls fflush on stdout, and
// every text for stdout goes through write_out, put_out or print_out (the Linux
// build's colour sequences aside, which need no line ends).
#pragma once

#include <stddef.h>

#include "message_text.h"  // RAVLIN_PRINTF

// Size of the buffer standard output gets: a whole device display (32 paths) fits.
constexpr size_t kOutputBufferSize = 64 * 1024;

// Gives standard output a full buffer of its own, and on Windows binary mode with
// the CR LF line ends written here. Call first in main, before any output. True
// when the runtime took the buffer.
bool buffer_output();
// Hands what standard output holds to the console or file now.
void flush_output();
// The end of one item of a listing (a device): what standard output holds reaches
// the console or file now, as with flush_output, but colours painted on a console
// may follow with the next items.
void end_output_item();

// Where the bytes for standard output go instead of the runtime's buffer while a
// sink is set, and what a flush hands over first (colour painting on a console);
// null gives them back to the runtime. `end_item` hands the bytes over at the end of
// an item; only `flush` must finish everything before another writer comes.
struct OutputSink {
    bool (*write)(const char* bytes, size_t length);
    void (*flush)();
    void (*end_item)();
};
void divert_output(const OutputSink* sink);
// Writes the `length` bytes of `text` (NUL bytes included) to standard output.
// False when the runtime refuses them.
bool write_out(const char* text, size_t length);
// Writes the `length` bytes exactly as they are, with no line-end translation on
// any build (documents whose format fixes LF line ends); false when refused.
bool write_out_exact(const char* bytes, size_t length);
// Writes the C string `text` to standard output; false when the runtime refuses it.
bool put_out(const char* text);
// printf to standard output, formatted first and then written as one piece:
// the printf of Wine's runtime hands every line to the console as it goes, even
// into a full buffer. The bytes are exactly printf's. Returns the count written,
// or a negative value on failure.
int print_out(const char* format, ...) RAVLIN_PRINTF(1, 2);
