/* The driver's view of the simulator. The model is C++ and the kernel headers
 * are C only, so the driver reaches the one world it hosts through these plain
 * functions. None of them locks: the caller holds the driver's world lock. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Empties the world: no driver loaded until a world is loaded. */
void sim_host_reset(void);

/* A handle opened or closed on \\.\RAVLIN: 0 or the Windows error to fail with. */
uint32_t sim_host_open(void);
uint32_t sim_host_close(void);

/* Answers one control request in place: `buffer` holds in_len bytes of input
 * and has room for out_len bytes of answer. Returns 0 or a Windows error code;
 * on 0, *returned (at most out_len) bytes of `buffer` hold the answer. */
uint32_t sim_host_answer(uint32_t code, void* buffer, uint32_t in_len, uint32_t out_len,
                         uint32_t* returned);

/* Nonzero when the world has a driver loaded (\\.\RAVLIN exists only then). */
int sim_host_driver_loaded(void);

/* The size of a whole world, the one length the private requests accept. */
uint32_t sim_host_world_size(void);

/* Replaces the world with `length` bytes at `data`: 0, or 24 (bad length). Counts
 * are clamped to the world's tables, since the bytes come from a user program. */
uint32_t sim_host_load(const void* data, uint32_t length);

/* Copies the whole world to `out`: 0, or 24 when `room` is not its size. */
uint32_t sim_host_save(void* out, uint32_t room);

/* The size of the HBA snapshot, the one length RAVLINSIM_READ_HBA accepts. */
uint32_t sim_host_hba_size(void);

/* Writes the world's HBA snapshot to `out`: 0, or 24 when `room` is not its size. */
uint32_t sim_host_hba_snapshot(void* out, uint32_t room);

/* Answers one test device-tree call in place (a SimTreeCall): 0, or 24 when
 * `length` is not the record's size. */
uint32_t sim_host_tree_call(void* record, uint32_t length);

#ifdef __cplusplus
}
#endif
