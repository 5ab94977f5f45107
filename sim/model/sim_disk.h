// The simulated disks: the device objects "\\.\PhysicalDriveN" that answer the
// SCSI address request and an INQUIRY for vital product data pages 0x00 and 0xD0.
// Freestanding like the rest of the model.
#pragma once

#include <stdint.h>

#include "sim_codes.h"
#include "sim_limits.h"

constexpr int SIM_MAX_DISKS = SIM_DEVICE_SLOTS;  // one disk per device slot at most
constexpr int SIM_VPD_PAGE_MAX = 255;


// Pages a disk rejects at the SCSI level (check condition, no data).
enum : uint8_t {
    SIM_DISK_REJECT_00 = 1,
    SIM_DISK_REJECT_D0 = 2,
};

struct SimDisk {
    uint32_t number;             // N of \\.\PhysicalDriveN
    uint8_t scsi_address[4];     // port, path id, target id, LUN
    uint8_t reject;              // SIM_DISK_REJECT_* bits
    uint8_t page_00_length;      // bytes of page 0x00 the disk returns
    uint8_t page_d0_length;      // bytes of page 0xD0 the disk returns
    uint8_t page_00[SIM_VPD_PAGE_MAX];
    uint8_t page_d0[SIM_VPD_PAGE_MAX];
    uint32_t open_error;         // nonzero: the open fails with this Windows error
    uint32_t address_error;      // ... IOCTL_SCSI_GET_ADDRESS fails
    uint32_t pass_through_error; // ... IOCTL_SCSI_PASS_THROUGH fails
};

struct SimDisks {
    int32_t count;
    SimDisk disks[SIM_MAX_DISKS];
};

struct SimWorld;
struct SimReply;

// The disk listed with `number`, or nullptr.
const SimDisk* sim_disk_find(const SimWorld* world, uint32_t number);

// A handle opened on disk `number`: 0, or the error the open fails with (its
// open_error, a `disk_open` fault's error, or 2 for a disk the world does not
// have). Only a successful open is journalled: a failed one never reaches a driver.
uint32_t sim_disk_open(SimWorld* world, uint32_t number);
// A handle closed on disk `number`, journalled: 0 or a `disk_close` fault's error.
uint32_t sim_disk_close(SimWorld* world, uint32_t number);

// For a host that cannot fail an open it has already let through (the test
// driver under Wine takes the disk's name away instead): true when the next open
// of disk `number` is to fail. A due `disk_open` fault is counted as used here.
bool sim_disk_open_refused(SimWorld* world, uint32_t number);

// Answers one request on an open disk; `in` and `out` may be the same buffer.
// Writes at most `out_len` bytes to `out`. Journalled.
SimReply sim_disk_answer(SimWorld* world, uint32_t number, uint32_t code, const void* in, uint32_t in_len,
                         void* out, uint32_t out_len);
