#include "report_text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

void report_text(const char* field, size_t field_size, char* out, size_t size) {
    if (size == 0) return;
    size_t n = 0;
    for (; n < field_size && n + 1 < size && field[n] != '\0'; n++) {
        unsigned char c = static_cast<unsigned char>(field[n]);
        out[n] = c < 0x20 || c == 0x7F || c == '|' ? '?' : char(c);
    }
    out[n] = '\0';
}

void append_text(char* out, size_t size, const char* format, ...) {
    size_t used = strnlen(out, size);
    if (used + 1 >= size) return;
    va_list args;
    va_start(args, format);
    vsnprintf(out + used, size - used, format, args);
    va_end(args);
}
