// The action words of the adapter and path state commands.
#pragma once

#include <stdint.h>

// DSM_ACTION_ONLINE for "online", DSM_ACTION_OFFLINE for "offline",
// DSM_ACTION_PATHCOUNTREF for "pathcountref" when `pathcountref` allows it; 0 otherwise.
uint32_t state_action(const char* word, bool pathcountref);
