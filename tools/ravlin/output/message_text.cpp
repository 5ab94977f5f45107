#include "message_text.h"

#include <stdio.h>
#include <string.h>

#include "platform.h"

namespace {

char g_message[kMessageBufferSize];

// Copies the table's text for `id` into the result buffer; false when there is none.
bool take_table_text(uint32_t id, va_list* args) {
    char table_text[kMessageTableLimit + 1];
    if (!platform_message_lookup(id, args, table_text, sizeof table_text)) return false;
    snprintf(g_message, sizeof g_message, "%s", table_text);
    return true;
}

}  // namespace

const char* get_message_text(uint32_t id, const char* text, ...) {
    va_list args;
    va_start(args, text);
    bool from_table = take_table_text(id, &args);
    va_end(args);
    if (!from_table) {
        va_start(args, text);
        vsnprintf(g_message, sizeof g_message, text, args);
        va_end(args);
    }
    return g_message;
}

const char* get_message_text_as_is(uint32_t id, const char* text, ...) {
    va_list args;
    va_start(args, text);
    bool from_table = take_table_text(id, &args);
    va_end(args);
    if (!from_table) snprintf(g_message, sizeof g_message, "%s", text);
    return g_message;
}
