// The two requests a disk device object answers for ravlin: its SCSI address and
// a SCSI pass-through. Shared by ravlin and the simulator, like dsm_interface.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "dsm_interface.h"

constexpr uint32_t IOCTL_SCSI_GET_ADDRESS = 0x41018u;
constexpr uint32_t IOCTL_SCSI_PASS_THROUGH = 0x4D004u;

// Windows SCSI_ADDRESS: Length is 8, the record is both input and output.
struct DSM_SCSI_ADDRESS {
    uint32_t Length;
    uint8_t PortNumber;
    uint8_t PathId;
    uint8_t TargetId;
    uint8_t Lun;
};

// The INQUIRY work buffer: the 64-bit pass-through header, sense and data areas at
// fixed offsets. The request goes out with 56 bytes in and 379 bytes out.
constexpr uint32_t kVpdBufferSize = 640;
constexpr uint32_t kVpdSenseOffset = 60;
constexpr uint32_t kVpdSenseLength = 32;
constexpr uint32_t kVpdDataOffset = 124;
constexpr uint32_t kVpdDataLength = 255;
constexpr uint32_t kVpdRequestIn = sizeof(DSM_SCSI_PASS_THROUGH64);
constexpr uint32_t kVpdRequestOut = kVpdDataOffset + kVpdDataLength;
constexpr uint8_t kScsiInquiry = 0x12;
constexpr uint8_t kScsiDataIn = 1;  // SCSI_IOCTL_DATA_IN
constexpr uint8_t kScsiStatusCheckCondition = 2;

static_assert(sizeof(DSM_SCSI_ADDRESS) == 8);
static_assert(offsetof(DSM_SCSI_ADDRESS, PortNumber) == 4);
static_assert(offsetof(DSM_SCSI_ADDRESS, Lun) == 7);
static_assert(kVpdRequestIn == 56);
static_assert(kVpdRequestOut == 379);
static_assert(kVpdSenseOffset >= kVpdRequestIn && kVpdSenseOffset + kVpdSenseLength <= kVpdDataOffset);
static_assert(kVpdRequestOut <= kVpdBufferSize);
