// The frame every machine-output document shares: the schema version and the kind.
#pragma once

#include "json_writer.h"

// The schema version every document names; members are only ever added within it.
constexpr char kJsonSchemaVersion[] = "ravlin/1";

// Starts a document on `sink` (json_stdout_sink() for the program's output):
// "{"schema":"ravlin/1","kind":<kind>".
void begin_document(JsonWriter* w, JsonSink sink, const char* kind);
// Closes the outermost object, ends the line and flushes stdout: one pass, one line.
void end_document(JsonWriter* w);
