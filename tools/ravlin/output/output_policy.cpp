#include "output_policy.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"

namespace {

// Static: the runtime uses it until its last flush, after main has returned.
char g_output_buffer[kOutputBufferSize];
// Whether stdout is in binary mode (Windows), and what a "\n" of the text becomes
// there: CR LF, as the runtime would have made it in text mode.
bool g_binary = false;
const char* g_line_end = "\n";

const OutputSink* g_sink = nullptr;

// Hands `length` bytes to the stdout buffer, or the sink; false when refused.
bool buffer_bytes(const char* bytes, size_t length) {
    if (g_sink != nullptr) return g_sink->write(bytes, length);
    return fwrite(bytes, 1, length, stdout) == length;
}

}  // namespace

bool buffer_output() {
    bool buffered = setvbuf(stdout, g_output_buffer, _IOFBF, sizeof g_output_buffer) == 0;
    g_binary = platform_stdout_binary(true);
    if (g_binary) g_line_end = "\r\n";
    return buffered;
}

void flush_output() {
    if (g_sink != nullptr) g_sink->flush();
    fflush(stdout);
}

void end_output_item() {
    if (g_sink != nullptr) g_sink->end_item();
    fflush(stdout);
}

void divert_output(const OutputSink* sink) {
    flush_output();
    g_sink = sink;
}

bool write_out(const char* text, size_t length) {
    size_t at = 0;
    while (at < length) {
        size_t end = at;
        while (end < length && text[end] != '\n' && text[end] != '\0') end++;
        if (!buffer_bytes(text + at, end - at)) return false;
        if (end == length) break;
        if (text[end] == '\n') {
            if (!buffer_bytes(g_line_end, strlen(g_line_end))) return false;
            at = end + 1;
            continue;
        }
        // A run of NULs goes over on its own, in text mode, as it did when every
        // character was its own write: a console shows it as before (Wine's shows
        // nothing, where binary mode would show a '?'), and a text-mode console write
        // on Wine, which ends at its first NUL, loses nothing after it.
        size_t nuls = end;
        while (nuls < length && text[nuls] == '\0') nuls++;
        flush_output();
        if (g_binary) platform_stdout_binary(false);
        bool written = fwrite(text + end, 1, nuls - end, stdout) == nuls - end;  // past any sink: it is flushed
        flush_output();
        if (g_binary) platform_stdout_binary(true);
        if (!written) return false;
        at = nuls;
    }
    return true;
}

bool write_out_exact(const char* bytes, size_t length) { return buffer_bytes(bytes, length); }

bool put_out(const char* text) { return write_out(text, strlen(text)); }

int print_out(const char* format, ...) {
    char text[1024];  // a whole line of any display; a longer text gets a buffer of its own
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    // The count, not the terminator, says what to write: a field may hold NUL bytes.
    int n = vsnprintf(text, sizeof text, format, args);
    if (n >= 0 && size_t(n) < sizeof text) {
        n = write_out(text, size_t(n)) ? n : -1;
    } else if (n >= 0) {
        char* whole = static_cast<char*>(malloc(size_t(n) + 1));
        if (whole != nullptr && vsnprintf(whole, size_t(n) + 1, format, again) == n) n = write_out(whole, size_t(n)) ? n : -1;
        else n = -1;
        free(whole);
    }
    va_end(again);
    va_end(args);
    return n;
}
