// A JSON sink that collects a document in memory, so that a report that fails
// halfway prints only its error document.
#pragma once

#include <stdint.h>

#include <string>

#include "json_writer.h"

// A sink that appends to *text, which the caller owns.
JsonSink string_sink(std::string* text);
