// The test device tree's calls, answered by the simulated tree.
#include "sim_tree_call.h"

namespace {

constexpr uint32_t kErrorInvalidFunction = 1;

}  // namespace

void sim_tree_call(SimWorld* world, SimTreeCall* call) {
    int32_t index = int32_t(call->index);
    call->value = 0;
    for (char& c : call->text) c = '\0';
    switch (call->op) {
    case SIM_TREE_LOCATE_ROOT:
        call->result = sim_tree_locate_root(world, &call->value);
        return;
    case SIM_TREE_REENUMERATE:
        call->result = sim_tree_reenumerate(world, call->index);
        return;
    case SIM_TREE_LIST:
        call->result = sim_tree_list_error(world);
        call->value = uint32_t(sim_tree_disk_count(world));
        return;
    case SIM_TREE_INSTANCE_ID: {
        uint32_t room = call->size < sizeof call->text ? call->size : uint32_t(sizeof call->text);
        call->result = sim_tree_instance_id(world, index, call->text, room);
        return;
    }
    case SIM_TREE_CLASS_PARAMS:
        call->result = sim_tree_class_params(world, index, call->state, call->scope);
        return;
    case SIM_TREE_CALL_INSTALLER:
        call->result = sim_tree_call_installer(world, index, call->state, call->scope);
        return;
    case SIM_TREE_INSTALL_FLAGS:
        call->result = sim_tree_install_flags(world, index, &call->value);
        return;
    default:
        call->result = kErrorInvalidFunction;
        return;
    }
}
