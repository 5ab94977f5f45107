// dsmsim's world store on Linux: the world file, held locked for the session.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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

char* store_read_hba_journal(char* error, size_t size) {
    char path[4200];
    if (!world_file_hba_journal_path(path, sizeof path)) {
        snprintf(error, size, "the simulator's root folder is too long");
        return nullptr;
    }
    FILE* f = fopen(path, "rb");
    char* text = static_cast<char*>(malloc(1));
    size_t used = 0;
    if (text == nullptr) {
        if (f != nullptr) fclose(f);
        snprintf(error, size, "out of memory");
        return nullptr;
    }
    if (f != nullptr) {  // no file: no call journalled yet
        char chunk[65536];
        size_t n;
        while (text != nullptr && (n = fread(chunk, 1, sizeof chunk, f)) > 0) {
            char* bigger = static_cast<char*>(realloc(text, used + n + 1));
            if (bigger == nullptr) {
                free(text);
                text = nullptr;
                break;
            }
            text = bigger;
            memcpy(text + used, chunk, n);
            used += n;
        }
        fclose(f);
        if (text == nullptr) {
            snprintf(error, size, "out of memory");
            return nullptr;
        }
    }
    text[used] = '\0';
    return text;
}

bool store_clear_hba_journal(char* error, size_t size) {
    char path[4200];
    if (!world_file_hba_journal_path(path, sizeof path)) {
        snprintf(error, size, "the simulator's root folder is too long");
        return false;
    }
    if (unlink(path) == 0 || errno == ENOENT) return true;
    snprintf(error, size, "%s: cannot remove", path);
    return false;
}

char* store_read_tree_journal(char* error, size_t size) {
    snprintf(error, size, "the device tree's calls are journalled by the Windows build's test DLLs only");
    return nullptr;
}

bool store_clear_tree_journal(char*, size_t) { return true; }
