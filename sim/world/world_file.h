// The world file of the Linux build: <root>/world.json, shared by ravlin and
// dsmsim, guarded by an exclusive lock on <root>/world.lock. A process takes the
// lock, loads the world, lets the model answer, saves, and lets go.
// POSIX only. A SimWorld is about 5 MB: callers pass a static one, never a local.
#pragma once

#include <stddef.h>

#include "sim_world.h"

// $RAVLIN_SIM_ROOT, else "$HOME/.ravlin-sim". Returns a static buffer, or
// nullptr when the root would not fit in it (no file system path is that long).
const char* sim_root_dir();

struct WorldFile {
    int lock_fd;      // the open, locked world.lock; -1 while not locked
    char path[4096];  // <root>/world.json
};

// Creates the root if needed and takes the lock, waiting while another process
// holds it. False with a message when the root or the lock cannot be had; the
// file is then not locked.
bool world_file_lock(WorldFile* file, char* error, size_t error_size);

// Loads the world file into *world; a missing file is a cleared world (no driver).
// False with a message naming the file when it cannot be read or is damaged.
bool world_file_load(const WorldFile* file, SimWorld* world, char* error, size_t error_size);

// world_file_lock, then world_file_load. On failure nothing stays locked.
bool world_file_lock_and_load(WorldFile* file, SimWorld* world, char* error, size_t error_size);

// Saves the world atomically (world.json.tmp, fsync, rename over world.json), so
// that readers see the old world or the new one, never a part, and beside it the
// HBA library's packed view of the world's HBA section (hba.snapshot). Needs the lock.
bool world_file_save(const WorldFile* file, const SimWorld* world, char* error, size_t error_size);

// Reads the HBA snapshot saved with the world, without the lock: the test HBA
// library runs inside a tool that ravlin starts while it holds the lock, and it
// needs none of the rest of the world. False when there is none (no world saved).
bool world_file_load_hba(SimHbaSnapshot* snapshot);

// <root>/hba.journal: the test HBA library's journal of calls, one line each,
// appended without the lock (the library runs while ravlin holds it). False when
// the path does not fit.
bool world_file_hba_journal_path(char* path, size_t size);

// Lets go of the lock; harmless when not locked.
void world_file_unlock(WorldFile* file);
