// The simulated driver's answers to the requests that change a running SAN:
// adapter and path state, preferred path, load-balance policy; and the lookup of
// a device by its NT name. Freestanding like the rest of the model.
#pragma once

#include <stdint.h>

#include "sim_model.h"

// Answers `code` when it is one of the state-changing requests or
// IOCTL_DSM_GET_PREFERRED_PATH: true with *reply set; false for any other code.
bool sim_answer_state_change(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                             uint32_t out_len, SimReply* reply);

// The slot of the device named by the first `size` bytes of `name` (up to a
// NUL): the one of exactly that name, else the first in the same disk folder
// ("\\Device\\Harddisk3\\"); DSM_FIND_BY_NAME when there is none.
uint32_t sim_device_by_name(const SimWorld* w, const char* name, uint32_t size);
