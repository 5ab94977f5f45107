// The control device of the Linux build: the driver simulator's world, loaded
// from the world file when the device is opened and saved when it is closed (or
// when the process ends with the handle still open, as Windows would close it).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"
#include "posix_error.h"
#include "posix_world.h"
#include "sim_model.h"
#include "world_file.h"

namespace {

constexpr uintptr_t kControlHandle = 1;
constexpr uint32_t kErrorInvalidHandle = 6;

SimWorld g_world;
WorldFile g_world_file;
bool g_open = false;
bool g_exit_hook = false;

// Saves the world and lets the next process have it.
void release_world() {
    char error[256];
    if (g_world.changed && !world_file_save(&g_world_file, &g_world, error, sizeof error))
        fprintf(stderr, "ravlin: simulator: %s\n", error);
    world_file_unlock(&g_world_file);
}

void close_at_exit() {
    if (!g_open) return;
    g_open = false;
    sim_close(&g_world);
    release_world();
}

}  // namespace

SimWorld* posix_open_world() { return g_open ? &g_world : nullptr; }

PlatformHandle platform_open_device(const char* path) {
    if (strcmp(path, "\\\\.\\RAVLIN") != 0 || g_open) {
        posix_set_last_error(g_open ? 32 /* sharing violation */ : DSM_ERROR_FILE_NOT_FOUND);
        return PlatformHandle{0};
    }
    char error[256];
    if (!world_file_lock_and_load(&g_world_file, &g_world, error, sizeof error)) {
        fprintf(stderr, "ravlin: simulator: %s\n", error);
        posix_set_last_error(DSM_ERROR_GEN_FAILURE);
        return PlatformHandle{0};
    }
    g_world.changed = 0;
    uint32_t result = sim_open(&g_world);
    if (result != 0) {
        release_world();
        posix_set_last_error(result);
        return PlatformHandle{0};
    }
    g_open = true;
    if (!g_exit_hook) {
        atexit(close_at_exit);
        g_exit_hook = true;
    }
    return PlatformHandle{kControlHandle};
}

bool platform_device_control(PlatformHandle handle, uint32_t code, void* in, uint32_t in_len, void* out,
                             uint32_t out_len, uint32_t* returned) {
    if (handle.value != kControlHandle || !g_open) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    SimReply reply = sim_answer(&g_world, code, in, in_len, out, out_len);
    if (reply.error != 0) {
        posix_set_last_error(reply.error);
        return false;
    }
    *returned = reply.returned;
    return true;
}

bool platform_close_device(PlatformHandle handle) {
    if (handle.value != kControlHandle || !g_open) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    g_open = false;
    uint32_t result = sim_close(&g_world);
    release_world();
    if (result != 0) {
        posix_set_last_error(result);
        return false;
    }
    return true;
}

SimWorld* posix_world_acquire() {
    if (g_open) return &g_world;
    char error[256];
    if (!world_file_lock_and_load(&g_world_file, &g_world, error, sizeof error)) {
        fprintf(stderr, "ravlin: simulator: %s\n", error);
        posix_set_last_error(DSM_ERROR_GEN_FAILURE);
        return nullptr;
    }
    g_world.changed = 0;
    return &g_world;
}

void posix_world_release() {
    if (!g_open) release_world();
}
