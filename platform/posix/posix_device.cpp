// The control device of the Linux build: requests are answered by the driver
// simulator in the world that opening the device loaded (posix_world.cpp).
#include <string.h>

#include "platform.h"
#include "posix_error.h"
#include "posix_world.h"
#include "sim_model.h"

namespace {

constexpr uintptr_t kControlHandle = 1;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorSharingViolation = 32;

}  // namespace

PlatformHandle platform_open_device(const char* path) {
    bool open = posix_open_world() != nullptr;
    if (strcmp(path, "\\\\.\\RAVLIN") != 0 || open) {
        posix_set_last_error(open ? kErrorSharingViolation : DSM_ERROR_FILE_NOT_FOUND);
        return PlatformHandle{0};
    }
    uint32_t result = posix_world_open_control();
    if (result != 0) {
        posix_set_last_error(result);
        return PlatformHandle{0};
    }
    return PlatformHandle{kControlHandle};
}

bool platform_device_control(PlatformHandle handle, uint32_t code, void* in, uint32_t in_len, void* out,
                             uint32_t out_len, uint32_t* returned) {
    SimWorld* world = posix_open_world();
    if (handle.value != kControlHandle || world == nullptr) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    SimReply reply = sim_answer(world, code, in, in_len, out, out_len);
    if (reply.error != 0) {
        posix_set_last_error(reply.error);
        return false;
    }
    *returned = reply.returned;
    return true;
}

bool platform_close_device(PlatformHandle handle) {
    if (handle.value != kControlHandle || posix_open_world() == nullptr) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    uint32_t result = posix_world_close_control();
    if (result != 0) {
        posix_set_last_error(result);
        return false;
    }
    return true;
}
