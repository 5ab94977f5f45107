// Policy and scope words, compared exactly and case-sensitively.
#include "policy_words.h"

#include <string.h>

#include "dsm_interface.h"

namespace {

struct Word {
    const char* word;
    uint32_t code;
};

const Word kPolicies[] = {
    {"df", DSM_POLICY_DEFAULT},
    {"rr", DSM_POLICY_ROUND_ROBIN},
    {"fo", DSM_POLICY_FAILOVER},
    {"lb", DSM_POLICY_LEAST_IO_WEIGHT},
    {"sqst", DSM_POLICY_SHORTEST_QUEUE_TIME},
    {"lqd", DSM_POLICY_LEAST_QUEUE_DEPTH},
    {"lbytes", DSM_POLICY_LEAST_BYTES},
    {"rrss", DSM_POLICY_ROUND_ROBIN_SUBSET},
};

const Word kScopes[] = {
    {"allNodes", DSM_SCOPE_ALL_NODES},
    {"optNodes", DSM_SCOPE_OPT_NODES},
};

// True with *code set when `word` is in the table.
template <size_t N>
bool find(const Word (&table)[N], const char* word, uint32_t* code) {
    size_t i = 0;
    while (i < N && strcmp(table[i].word, word) != 0) i++;
    if (i < N) *code = table[i].code;
    return i < N;
}

}  // namespace

bool policy_code(const char* word, uint32_t* code) { return word != nullptr && find(kPolicies, word, code); }

bool scope_code(const char* word, uint32_t* code) {
    if (word == nullptr) {
        *code = DSM_SCOPE_NONE;
        return true;
    }
    return find(kScopes, word, code);
}
