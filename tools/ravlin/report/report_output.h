// What the reports share in their output: a JSON sink that collects a document in
// memory, so that a report that fails halfway prints only its error document, and
// the verdict of a report that cannot judge.
#pragma once

#include <stdint.h>

#include <string>

#include "json_writer.h"

// A sink that appends to *text, which the caller owns.
JsonSink string_sink(std::string* text);

// A report that cannot judge: "RAVLIN <report> UNKNOWN - <why>" in the text form,
// the error document with -json. Returns the unknown status (3).
int32_t report_unknown_verdict(bool json, const char* report, const char* why);
