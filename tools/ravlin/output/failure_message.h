// The failure messages of a run: printed as the text form does, or with -json kept
// as the run's failure message for the error document, so stdout carries nothing
// but JSON.
#pragma once

#include "message_text.h"  // RAVLIN_PRINTF

// Prints "\n<text>\n" as the text form does; with -json keeps `text` as the run's
// failure message instead (the last kept one wins).
void print_message(const char* text);
// Keeps `text` without its leading and trailing line ends (cut to the keeper's
// buffer) as the run's failure message.
void keep_failure_message(const char* text);
// The kept message ("" when none); owned here, valid until the next keep.
const char* kept_failure_message();

// printf of a line that is no part of the run's output or documents (what a disk
// restart or a log that cannot be opened has to say): on stdout in the text form,
// and with -json on stderr after what stdout holds, so stdout carries only documents.
void print_aside(const char* format, ...) RAVLIN_PRINTF(1, 2);
