// The error document of a failed run with -json, around the failure message the
// run kept (output/failure_message.h).
#pragma once

#include <stdint.h>

#include "failure_message.h"

// Writes {"schema":"ravlin/1","kind":"error","error":{"code":..,"message":..}} with
// the kept message on one line of stdout and flushes it.
void write_error_document(int32_t code);
