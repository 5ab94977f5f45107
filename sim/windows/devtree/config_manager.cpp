// The configuration manager's two calls that ravlin makes, answered from the
// world's device tree: locating the root node and re-enumerating below it.
#define _CFGMGR32_
#include <windows.h>

#include <cfgmgr32.h>

#include "tree_link.h"

namespace {

// Asks the world; without the test driver there is no tree (as the Linux build).
CONFIGRET ask(SimTreeCall* call) { return tree_link_call(call) ? CONFIGRET(call->result) : CR_FAILURE; }

}  // namespace

extern "C" CONFIGRET WINAPI CM_Locate_DevNodeA(PDEVINST node, DEVINSTID_A id, ULONG flags) {
    // Only the root, located as it is (CM_LOCATE_DEVNODE_NORMAL), is ever asked for.
    CONFIGRET result = CR_SUCCESS;
    SimTreeCall call = {};
    call.op = SIM_TREE_LOCATE_ROOT;
    if (node == nullptr) result = CR_INVALID_POINTER;
    else if (id != nullptr) result = CR_INVALID_DEVICE_ID;
    else if (flags != CM_LOCATE_DEVNODE_NORMAL) result = CR_INVALID_FLAG;
    else result = ask(&call);
    if (node != nullptr) *node = result == CR_SUCCESS ? call.value : 0;
    tree_link_note("CM_Locate_DevNodeA(%s, %s, 0x%lx) -> 0x%lx node %lu", node == nullptr ? "null" : "node",
                   id == nullptr ? "root" : "an identifier", flags, result, result == CR_SUCCESS ? call.value : 0ul);
    return result;
}

extern "C" CONFIGRET WINAPI CM_Reenumerate_DevNode(DEVINST node, ULONG flags) {
    CONFIGRET result = CR_SUCCESS;
    SimTreeCall call = {};
    call.op = SIM_TREE_REENUMERATE;
    call.index = node;
    // Flags 0: at once, without waiting for the enumeration (no CM_REENUMERATE_SYNCHRONOUS).
    if (flags != CM_REENUMERATE_NORMAL) result = CR_INVALID_FLAG;
    else if (node == 0) result = CR_INVALID_DEVNODE;
    else result = ask(&call);
    tree_link_note("CM_Reenumerate_DevNode(%lu, 0x%lx) -> 0x%lx", node, flags, result);
    return result;
}
