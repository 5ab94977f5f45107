// The simulated driver's answers. One entry point per handle operation; each
// records itself in the world's journal and honours the world's faults.
#pragma once

#include <stdint.h>

#include "sim_world.h"

struct SimReply {
    uint32_t error;     // 0 or a Windows error code
    uint32_t returned;  // bytes of `out` that hold the answer
};

// Empties the world: no driver, no devices, no faults, empty journal, no HBA
// adapters (the HBA library at its default version).
void sim_world_clear(SimWorld* world);

// Answers one control request the way ravlindsm.sys would. `in` and `out` may be
// the same buffer (buffered transfer). Writes at most `out_len` bytes to `out`.
SimReply sim_answer(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, void* out,
                    uint32_t out_len);

// A handle opened or closed on the control device: 0 or the error a fault asks for.
uint32_t sim_open(SimWorld* world);
uint32_t sim_close(SimWorld* world);

// Journals an operation that is not a control request (a device-tree change):
// `in_len` bytes of `in` as its input, `error` as its outcome.
void sim_journal_add(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, uint32_t error);

// The fault that hits a request to `code` naming `slot` (and, for a disk
// pass-through, INQUIRY page `page`; -1 none), or nullptr. Counts the request
// against the `after` of every matching fault it passes. The fault is the
// world's: hand it to sim_spend_fault once it has been applied.
SimFault* sim_take_fault(SimWorld* world, uint32_t code, int32_t slot, int32_t page);
// Counts one use of `fault`, dropping it from the world when it has run out.
void sim_spend_fault(SimWorld* world, SimFault* fault);

// The IOCTL_DSM_... name of a code (or "open"/"close"), or nullptr when unknown.
const char* sim_request_name(uint32_t code);

// The code named by `name` (as sim_request_name gives it), or 0 when unknown.
uint32_t sim_request_code(const char* name);

// The journal entry `index` counted from the oldest one kept, or nullptr.
const SimJournalEntry* sim_journal_entry(const SimWorld* world, uint32_t index);
uint32_t sim_journal_kept(const SimWorld* world);

// Records a request that another simulated device (a disk) received, as the
// control device's own requests are recorded: `in` holds in_len bytes.
void sim_journal_record(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, uint32_t out_len,
                        SimReply reply);
