// The machine form of `query version`.
#pragma once

#include <stddef.h>

#include "json_writer.h"
#include "version_report.h"

// Writes the version document on `sink`: one component per row, its version or why there is none.
void write_version_document(const VersionRow* rows, const VersionFound* found, size_t count, bool build_number,
                            JsonSink sink);
