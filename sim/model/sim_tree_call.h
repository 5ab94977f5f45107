// One call of the Windows build's test device tree (its setupapi.dll and
// cfgmgr32.dll) to the world the test driver holds. The record travels both ways
// in one private request, so its layout is the same in 32- and 64-bit code.
#pragma once

#include <stdint.h>

#include "sim_device_tree.h"

enum SimTreeOp : uint32_t {
    SIM_TREE_LOCATE_ROOT = 1,     // result: return code; value: the node
    SIM_TREE_REENUMERATE = 2,     // index: the node; result: return code
    SIM_TREE_LIST = 3,            // result: 0 or the list error; value: disks present
    SIM_TREE_INSTANCE_ID = 4,     // index, size: the caller's room; result; text
    SIM_TREE_CLASS_PARAMS = 5,    // index, state, scope; result
    SIM_TREE_CALL_INSTALLER = 6,  // index, state, scope; result
    SIM_TREE_INSTALL_FLAGS = 7,   // index; result; value: the flags
};

struct SimTreeCall {
    uint32_t op;      // a SimTreeOp
    uint32_t index;   // the disk's index, or the node to re-enumerate
    uint32_t state;   // property change: enable or disable
    uint32_t scope;   // property change: global or configuration-specific
    uint32_t size;    // instance identifier: bytes the caller has room for
    uint32_t result;  // out: the manager's return code, or 0 or a Windows error
    uint32_t value;   // out: the node, the disk count or the install flags
    char text[SIM_INSTANCE_ID_SIZE];  // out: the identifier, terminated
    uint8_t reserved[3];
};
static_assert(sizeof(SimTreeCall) == 1056);
static_assert(__builtin_offsetof(SimTreeCall, text) == 28);

// Answers `call` from the world in place. Every input field may come from
// another program: an unknown op answers 1 (invalid function), an index that
// names no disk 259, and the text never holds more than `size` bytes.
void sim_tree_call(SimWorld* world, SimTreeCall* call);
