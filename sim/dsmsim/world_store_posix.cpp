// dsmsim's world store on Linux: the world file, held locked for the session.
#include "world_file.h"
#include "world_store.h"

namespace {

// The session's lock; dsmsim runs one command, so one session, per process.
WorldFile g_file = {-1, {}};

}  // namespace

bool store_open(char* error, size_t size) {
    if (g_file.lock_fd >= 0) return true;
    return world_file_lock(&g_file, error, size);
}

bool store_read_world(SimWorld* world, char* error, size_t size) {
    if (!store_open(error, size)) return false;
    return world_file_load(&g_file, world, error, size);
}

bool store_write_world(const SimWorld* world, char* error, size_t size) {
    if (!store_open(error, size)) return false;
    return world_file_save(&g_file, world, error, size);
}

void store_close() { world_file_unlock(&g_file); }
