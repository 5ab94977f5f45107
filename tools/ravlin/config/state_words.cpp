// The action words, matched exactly and case-sensitively.
#include "state_words.h"

#include <string.h>

#include "dsm_interface.h"

uint32_t state_action(const char* word, bool pathcountref) {
    if (word == nullptr) return 0;
    if (strcmp(word, "online") == 0) return DSM_ACTION_ONLINE;
    if (strcmp(word, "offline") == 0) return DSM_ACTION_OFFLINE;
    return pathcountref && strcmp(word, "pathcountref") == 0 ? uint32_t(DSM_ACTION_PATHCOUNTREF) : 0u;
}
