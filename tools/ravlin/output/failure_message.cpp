#include "failure_message.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "invocation_settings.h"
#include "output_policy.h"

namespace {

char g_message[512];

}  // namespace

void print_message(const char* text) {
    if (g_settings.json_output) keep_failure_message(text);
    else print_out("\n%s\n", text);
}

void keep_failure_message(const char* text) {
    while (*text == '\n') text++;
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == '\n') n--;
    if (n > sizeof g_message - 1) n = sizeof g_message - 1;
    memcpy(g_message, text, n);
    g_message[n] = '\0';
}

const char* kept_failure_message() { return g_message; }

void print_aside(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (g_settings.json_output) {
        flush_output();
        fputs(line, stderr);
    } else {
        put_out(line);
    }
}
