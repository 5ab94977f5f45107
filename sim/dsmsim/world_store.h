// Where dsmsim finds the simulator's world. On Linux the world file under its
// lock; on Windows the test driver, through its private control requests.
// One session at a time: store_open, any reads and writes, store_close. While
// the session is open no ravlin can change the world in between, so a read,
// a change and a write make one step.
#pragma once

#include <stddef.h>

#include "sim_world.h"

// Opens the session (the POSIX store takes the world lock, waiting for it).
// False with a one-line message when the store cannot be reached.
bool store_open(char* error, size_t size);

// Reads the current world into *world (about 5 MB: pass a static one).
bool store_read_world(SimWorld* world, char* error, size_t size);

// Replaces the world with *world.
bool store_write_world(const SimWorld* world, char* error, size_t size);

// The test HBA library's journal of calls as text (malloc'ed; the caller frees
// it), or nullptr with a message. It is kept apart from the world: the library
// runs in the HBA tool, beside whatever holds the world.
char* store_read_hba_journal(char* error, size_t size);

// Forgets the HBA library's journal.
bool store_clear_hba_journal(char* error, size_t size);

// The test device tree's journal of calls (the Windows build's test setupapi.dll
// and cfgmgr32.dll), like the HBA one. The Linux build's tree is the simulator
// itself, whose journal is the world's: there the read fails with a message and
// the clear does nothing.
char* store_read_tree_journal(char* error, size_t size);
bool store_clear_tree_journal(char* error, size_t size);

// Ends the session; harmless when none is open.
void store_close();
