// The driver simulator's world for the Linux build: loaded from the world file
// under its lock when the control device opens and held until it closes (or the
// process ends with the handle still open, as Windows would close it); loaded for
// a single call by the simulated services used without the control device.
#include "posix_world.h"

#include <stdio.h>
#include <stdlib.h>

#include "posix_error.h"
#include "sim_model.h"
#include "world_file.h"

namespace {

SimWorld g_world;
WorldFile g_world_file;
bool g_open = false;
bool g_exit_hook = false;

// Loads the world under the lock; false (last error set) when it cannot be had.
bool load_world() {
    char error[256];
    if (!world_file_lock_and_load(&g_world_file, &g_world, error, sizeof error)) {
        posix_report_simulator_error(error);
        posix_set_last_error(DSM_ERROR_GEN_FAILURE);
        return false;
    }
    g_world.changed = 0;
    return true;
}

// Saves the world and lets the next process have it.
void release_world() {
    char error[256];
    if (g_world.changed && !world_file_save(&g_world_file, &g_world, error, sizeof error))
        posix_report_simulator_error(error);
    world_file_unlock(&g_world_file);
}

void close_at_exit() {
    if (!g_open) return;
    g_open = false;
    sim_close(&g_world);
    release_world();
}

}  // namespace

void posix_report_simulator_error(const char* error) {
    fflush(stdout);  // stderr comes after what stdout already holds
    fprintf(stderr, "ravlin: simulator: %s\n", error);
}

SimWorld* posix_open_world() { return g_open ? &g_world : nullptr; }

uint32_t posix_world_open_control() {
    if (!load_world()) return DSM_ERROR_GEN_FAILURE;
    uint32_t result = sim_open(&g_world);
    if (result != 0) {
        release_world();
        return result;
    }
    g_open = true;
    if (!g_exit_hook) {
        atexit(close_at_exit);
        g_exit_hook = true;
    }
    return 0;
}

uint32_t posix_world_close_control() {
    g_open = false;
    uint32_t result = sim_close(&g_world);
    release_world();
    return result;
}

SimWorld* posix_world_acquire() {
    if (g_open) return &g_world;
    return load_world() ? &g_world : nullptr;
}

void posix_world_release() {
    if (!g_open) release_world();
}
