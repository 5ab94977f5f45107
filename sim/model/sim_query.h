// What the simulated driver knows for the device queries beyond the device
// records: each device's capacity, and scripted answers of the capacity
// pass-through per path (SCSI statuses, sense, odd 10-byte answers, errors).
#pragma once

#include <stdint.h>

#include "dsm_interface.h"
#include "sim_limits.h"

struct SimWorld;

constexpr int SIM_MAX_CAPACITY_SCRIPTS = 32;
constexpr int SIM_MAX_CAPACITY_ANSWERS = 8;

// One answer to one capacity request on a path. Zero everywhere: the normal answer.
struct SimCapacityAnswer {
    uint32_t error;          // nonzero: the request fails with this Windows error
    uint8_t scsi_status;     // written into ScsiStatus; data only with status 0
    uint8_t sense_key;       // nonzero: sense data (valid bit set) with this key
    uint8_t ten_byte_given;  // the 10-byte answer's address is ten_byte_lba
    uint8_t padding;
    uint32_t ten_byte_lba;
};

// Successive answers for the capacity requests sent down one path; once they are
// used up the path answers normally.
struct SimCapacityScript {
    int32_t slot;
    int32_t path;
    int32_t answer_count;  // 0..SIM_MAX_CAPACITY_ANSWERS
    int32_t used;          // answers given so far
    SimCapacityAnswer answers[SIM_MAX_CAPACITY_ANSWERS];
};

struct SimCapacity {
    uint64_t last_lba;      // 0: the device reports no capacity
    uint32_t block_length;
    uint32_t padding;
};

struct SimQueryWorld {
    SimCapacity capacity[SIM_DEVICE_SLOTS];
    int32_t script_count;
    SimCapacityScript scripts[SIM_MAX_CAPACITY_SCRIPTS];
};

struct SimReply;

// The answers of the query requests: device statistics, the
// per-interface and CSV counts, and the capacity pass-through (whose reply is
// shorter than its request). False when `code` is none of them.
bool sim_answer_query(SimWorld* world, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                      uint32_t out_len, SimReply* reply);
