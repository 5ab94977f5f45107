// The error document of a failed run with -json, and the messages that become it:
// with -json the text form's failure messages are kept, not printed, so stdout
// carries nothing but JSON.
#pragma once

#include <stdint.h>

// Prints "\n<text>\n" as the text form does; with -json keeps `text` as the run's
// failure message instead (the last kept one wins).
void print_message(const char* text);

// Keeps `text` without its leading and trailing line ends (cut to the keeper's
// buffer) as the run's failure message.
void keep_failure_message(const char* text);

// The kept message ("" when none); owned here, valid until the next keep.
const char* kept_failure_message();

// Writes {"schema":"ravlin/1","kind":"error","error":{"code":..,"message":..}} with
// the kept message on one line of stdout and flushes it.
void write_error_document(int32_t code);
