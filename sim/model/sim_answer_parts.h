// What every answer of the simulated driver is made of: the little-endian fields
// of request bodies, a failed reply, and the device a request names.
#pragma once

#include <stdint.h>

#include "sim_model.h"
#include "sim_world.h"

inline uint32_t sim_get_u32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void sim_put_u32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// A failed request: nothing comes back.
inline SimReply sim_fail(uint32_t error) { return SimReply{error, 0}; }

// The present device in slot `number`, or nullptr with *reply set to what its slot
// answers: error 1617 removed, error 2 empty, and for an invalid slot Status 3 in a
// reply that stops after the Status word (written to `out`).
SimDevice* sim_find_device(SimWorld* w, uint32_t number, uint8_t* out, SimReply* reply);
inline const SimDevice* sim_find_device(const SimWorld* w, uint32_t number, uint8_t* out, SimReply* reply) {
    return sim_find_device(const_cast<SimWorld*>(w), number, out, reply);
}
