// The message formatter: a message identifier plus a built-in text. The message
// table of the own module is asked first; without one the built-in text is used.
// The result lives in one static buffer that the next call overwrites.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#if defined(__GNUC__)
#define RAVLIN_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define RAVLIN_PRINTF(fmt, first)
#endif

// Resolves message `id`; without a table text formats `text` printf-style with the
// arguments. `text` must be a format written in this program, never outside data.
const char* get_message_text(uint32_t id, const char* text, ...) RAVLIN_PRINTF(2, 3);

// Resolves message `id` whose built-in text the caller has already formatted:
// without a table text, `text` comes back exactly as it is, whatever '%' it holds.
// The arguments serve only a table text.
const char* get_message_text_as_is(uint32_t id, const char* text, ...);

// The size of the result buffer: the longest built-in text and its terminator fit.
constexpr unsigned kMessageBufferSize = 2048;
// A text from the message table is cut to this many characters.
constexpr unsigned kMessageTableLimit = 1023;
