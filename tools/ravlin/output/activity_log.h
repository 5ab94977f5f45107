// The activity log: one time-stamped record per successful configuration change
// and per diagnostic event, appended to a fixed file, rotated in four generations.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "message_text.h"
#include "platform.h"

constexpr size_t kLogMessageSize = 16000;
constexpr uint64_t kLogRotateThreshold = 15728640;  // 0xF00000 bytes

// Creates the log lock; called once at start, before the first write.
void activity_log_init();

// Appends one record "MM/DD HH:MM:SS text" with `text` formatted printf-style.
// A null or empty `text` writes nothing. The caller's text carries its own "\n".
void write_activity_log(const char* text, ...) RAVLIN_PRINTF(1, 2);

// The same for a text that is already formatted: written exactly as it is.
void write_activity_log_as_is(const char* text);

// Formats the record's date "MM/DD" and time "HH:MM:SS" texts (16 bytes each).
void format_log_timestamp(const PlatformLocalTime* now, char date[16], char time[16]);

// Moves the generations of `base` up by one (base.4 dropped, base to base.1),
// reporting failures on standard error. `base` must be closed.
void rotate_log_generations(const char* base);
