// How the simulated driver refuses a change that would leave a device without an
// open path.
#pragma once

#include <stdint.h>

// The driver always writes Status 5 into the reply; `error` 0 lets the call
// succeed, any other value fails it with that error, the Status word still
// coming back (on Windows only a warning-class status carries bytes back, so
// scenarios use 234, ERROR_MORE_DATA, for a failed refusal).
struct SimPreserveAccess {
    uint32_t error;
};
