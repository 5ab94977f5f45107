/* The driver's view of the simulated disks, over the one world sim_host.cpp
 * hosts. None of them locks: the caller holds the driver's world lock. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* How many disks the world lists, and the number N (of \\.\PhysicalDriveN) of
 * entry `index`; *openable is 0 for a disk whose open is to fail. */
int32_t sim_host_disk_count(void);
uint32_t sim_host_disk_number(int32_t index, int* openable);

/* A handle opened or closed on disk `number` (journalled). */
uint32_t sim_host_disk_open(uint32_t number);
void sim_host_disk_close(uint32_t number);

/* Nonzero when the world holds a disk_open fault; nonzero when the next open of
 * disk `number` is to fail (a due fault's use is counted). */
int sim_host_disk_open_faults(void);
int sim_host_disk_open_refused(uint32_t number);

/* Answers one request on disk `number` in place, as sim_host_answer does. */
uint32_t sim_host_disk_answer(uint32_t number, uint32_t code, void* buffer, uint32_t in_len, uint32_t out_len,
                              uint32_t* returned);

#ifdef __cplusplus
}
#endif
