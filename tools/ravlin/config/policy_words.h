// The load-balance policy keywords and node-selection scope words.
#pragma once

#include <stdint.h>

// The DSM_POLICY_* code of a keyword ("df", "rr", "fo", "lb", "sqst", "lqd",
// "lbytes", "rrss"); false for any other word.
bool policy_code(const char* word, uint32_t* code);

// The DSM_SCOPE_* code of a scope word: none (null) 0, "allNodes" 1, "optNodes" 2;
// false for any other word.
bool scope_code(const char* word, uint32_t* code);
