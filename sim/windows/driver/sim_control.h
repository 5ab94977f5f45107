/* The test driver's private requests, sent to its simulator device
 * \\.\RAVLINSIM (never to \\.\RAVLIN, whose requests ravlin owns). Shared by
 * the driver (C), dsmsim.exe, the test hbaapi.dll and the test device-tree DLLs (C++). Function numbers 0x800 and up are the
 * range left to drivers for their own use, so they cannot meet a DSM request. */
#pragma once

#include <stdint.h>

#define RAVLINSIM_DEVICE_PATH "\\\\.\\RAVLINSIM"

/* Same composition as the DSM requests: device type 0x84C9, read and write
 * access, buffered transfer. */
#define RAVLINSIM_REQUEST(function) ((0x84C9u << 16) | (3u << 14) | ((uint32_t)(function) << 2))

/* Input: a whole SimWorld (exactly its size, else error 24). Replaces the world. */
#define RAVLINSIM_LOAD_WORLD RAVLINSIM_REQUEST(0x800)
/* Output: a whole SimWorld, journal included (room for exactly its size, else error 24). */
#define RAVLINSIM_READ_WORLD RAVLINSIM_REQUEST(0x801)
/* Output: the world's HBA adapters as one SimHbaSnapshot (sim/model/sim_hba.h),
 * the record whose layout is the same for the 32-bit library and the 64-bit
 * driver (room for exactly its size, else error 24). Answered whether or not the
 * world has a DSM driver loaded: the adapters are there either way. */
#define RAVLINSIM_READ_HBA RAVLINSIM_REQUEST(0x802)
/* The test HBA library's journal of calls, kept by the driver apart from the world
 * (the library runs in other processes, and a world load must not lose it).
 * NOTE: input, one line of text, appended (dropped once the journal is full).
 * READ: output, the whole journal as text; the reply's length is its length.
 * CLEAR: empties it. */
#define RAVLINSIM_HBA_NOTE RAVLINSIM_REQUEST(0x803)
#define RAVLINSIM_HBA_JOURNAL RAVLINSIM_REQUEST(0x804)
#define RAVLINSIM_HBA_CLEAR RAVLINSIM_REQUEST(0x805)
#define RAVLINSIM_HBA_JOURNAL_SIZE 32768 /* the Linux library keeps its file to the same size */

/* The test device tree (setupapi.dll and cfgmgr32.dll of sim/windows/devtree).
 * CALL: input and output one SimTreeCall (sim/model/sim_tree_call.h), exactly its
 * size, else error 24; answered from the world whether or not it has a DSM
 * driver loaded. TREE_NOTE, _JOURNAL and _CLEAR keep the DLLs' journal of calls as
 * the HBA ones keep the HBA library's, apart from it. */
#define RAVLINSIM_TREE_CALL RAVLINSIM_REQUEST(0x806)
#define RAVLINSIM_TREE_NOTE RAVLINSIM_REQUEST(0x807)
#define RAVLINSIM_TREE_JOURNAL RAVLINSIM_REQUEST(0x808)
#define RAVLINSIM_TREE_CLEAR RAVLINSIM_REQUEST(0x809)
#define RAVLINSIM_TREE_JOURNAL_SIZE 32768
