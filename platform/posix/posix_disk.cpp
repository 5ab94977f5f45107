// Disk device objects of the Linux build: the simulator's disks, named as on
// Windows ("\\.\PhysicalDriveN"). A handle carries the disk number.
#include <string.h>

#include "platform.h"
#include "posix_error.h"
#include "posix_world.h"
#include "sim_disk.h"
#include "sim_model.h"

namespace {

constexpr char kDiskPrefix[] = "\\\\.\\PhysicalDrive";
constexpr uintptr_t kDiskHandleBase = 0x10000;  // clear of the control device's handle
constexpr uint32_t kErrorInvalidHandle = 6;

// The number N of "\\.\PhysicalDriveN", or false when the path names no disk.
bool disk_number(const char* path, uint32_t* number) {
    size_t prefix = sizeof kDiskPrefix - 1;
    if (strncmp(path, kDiskPrefix, prefix) != 0) return false;
    const char* digits = path + prefix;
    if (*digits == '\0' || strlen(digits) > 9) return false;
    uint32_t n = 0;
    for (const char* p = digits; *p != '\0'; p++) {
        if (*p < '0' || *p > '9') return false;
        n = n * 10 + uint32_t(*p - '0');
    }
    *number = n;
    return true;
}

bool handle_number(PlatformHandle disk, uint32_t* number) {
    if (disk.value < kDiskHandleBase) return false;
    *number = uint32_t(disk.value - kDiskHandleBase);
    return true;
}

}  // namespace

PlatformHandle platform_open_disk(const char* path) {
    uint32_t number;
    if (!disk_number(path, &number)) {
        posix_set_last_error(DSM_ERROR_FILE_NOT_FOUND);
        return PlatformHandle{0};
    }
    SimWorld* world = posix_world_acquire();
    if (world == nullptr) return PlatformHandle{0};
    uint32_t error = sim_disk_open(world, number);
    posix_world_release();
    if (error != 0) {
        posix_set_last_error(error);
        return PlatformHandle{0};
    }
    return PlatformHandle{kDiskHandleBase + number};
}

bool platform_disk_control(PlatformHandle disk, uint32_t code, void* in, uint32_t in_len, void* out,
                           uint32_t out_len, uint32_t* returned) {
    uint32_t number;
    if (!handle_number(disk, &number)) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    SimWorld* world = posix_world_acquire();
    if (world == nullptr) return false;
    SimReply reply = sim_disk_answer(world, number, code, in, in_len, out, out_len);
    posix_world_release();
    if (reply.error != 0) {
        posix_set_last_error(reply.error);
        return false;
    }
    *returned = reply.returned;
    return true;
}

bool platform_close_disk(PlatformHandle disk) {
    uint32_t number;
    if (!handle_number(disk, &number)) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    SimWorld* world = posix_world_acquire();
    if (world == nullptr) return false;
    uint32_t error = sim_disk_close(world, number);
    posix_world_release();
    if (error != 0) posix_set_last_error(error);
    return error == 0;
}
