// Numeric command words: decimal digits only, the empty word included.
#pragma once

#include <stdint.h>

// True when every character of `word` is a decimal digit ("" counts, "-1" not).
bool is_numeric_word(const char* word);

// The value of a numeric word. A value beyond the signed 32-bit range saturates
// at 2147483647, so an oversized number stays out of every accepted range.
int32_t numeric_value(const char* word);
