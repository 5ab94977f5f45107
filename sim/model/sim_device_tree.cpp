// The simulated device tree's answers.
#include "sim_device_tree.h"

#include "sim_model.h"
#include "sim_world.h"

namespace {

constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kStateEnable = 1;
constexpr uint32_t kStateDisable = 2;
constexpr uint32_t kScopeGlobal = 1;

// Journals a call that only a scenario asking for it sees.
void journal_call(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, uint32_t error) {
    if (world->device_tree.journal_calls != 0) sim_journal_add(world, code, in, in_len, error);
}

// The class installer's answer to one property change of `disk`: 0 or its error.
uint32_t installer_error(const SimDiskInstance* disk, uint32_t state, uint32_t scope) {
    if (disk->change_error != 0) return disk->change_error;
    if (state == kStateDisable) return disk->disable_error;
    if (state == kStateEnable) return scope == kScopeGlobal ? disk->global_enable_error : disk->enable_error;
    return 0;
}

// Disk `index` of the tree, or nullptr when the table has no such entry.
const SimDiskInstance* disk_at(const SimWorld* world, int32_t index) {
    if (index < 0 || index >= sim_tree_disk_count(world)) return nullptr;
    return &world->device_tree.disks[index];
}

}  // namespace

uint32_t sim_tree_locate_root(SimWorld* world, uint32_t* node) {
    uint32_t result = world->device_tree.locate_result;
    *node = result == 0 ? 1 : 0;
    journal_call(world, SIM_CODE_LOCATE_ROOT, nullptr, 0, result);
    return result;
}

uint32_t sim_tree_reenumerate(SimWorld* world, uint32_t) {
    uint32_t result = world->device_tree.reenumerate_result;
    journal_call(world, SIM_CODE_REENUMERATE, nullptr, 0, result);
    if (result == 0) {
        world->device_tree.reenumerate_count++;
        world->changed = 1;
    }
    return result;
}

uint32_t sim_tree_list_error(const SimWorld* world) { return world->device_tree.list_error; }

int32_t sim_tree_disk_count(const SimWorld* world) {
    int32_t n = world->device_tree.disk_count;
    return n < 0 ? 0 : n > SIM_MAX_DISK_INSTANCES ? SIM_MAX_DISK_INSTANCES : n;
}

uint32_t sim_tree_instance_id(const SimWorld* world, int32_t index, char* out, uint32_t size) {
    const SimDiskInstance* disk = disk_at(world, index);
    if (disk == nullptr) return kErrorNoMoreItems;
    if (disk->id_error != 0) return disk->id_error;
    // The stored text may come from a user program: never read past its field.
    uint32_t n = 0;
    while (n < uint32_t(SIM_INSTANCE_ID_SIZE) && disk->instance_id[n] != '\0') n++;
    if (n == uint32_t(SIM_INSTANCE_ID_SIZE) || size == 0 || n >= size) return kErrorInsufficientBuffer;
    for (uint32_t i = 0; i < n; i++) out[i] = disk->instance_id[i];
    out[n] = '\0';
    return 0;
}

uint32_t sim_tree_class_params(SimWorld* world, int32_t index, uint32_t state, uint32_t scope) {
    uint32_t entry[3] = {uint32_t(index), state, scope};
    const SimDiskInstance* found = disk_at(world, index);
    uint32_t params = found == nullptr ? 0 : found->class_params_error;
    journal_call(world, SIM_CODE_CLASS_PARAMS, entry, sizeof entry, params);
    return params;
}

uint32_t sim_tree_call_installer(SimWorld* world, int32_t index, uint32_t state, uint32_t scope) {
    uint32_t entry[3] = {uint32_t(index), state, scope};
    const SimDiskInstance* found = disk_at(world, index);
    uint32_t error = found == nullptr ? kErrorNoMoreItems : installer_error(found, state, scope);
    if (error == 0) world->device_tree.disks[index].disabled = state == kStateDisable ? 1 : 0;
    sim_journal_add(world, SIM_CODE_PROPERTY_CHANGE, entry, sizeof entry, error);
    return error;
}

uint32_t sim_tree_property_change(SimWorld* world, int32_t index, uint32_t state, uint32_t scope) {
    uint32_t params = sim_tree_class_params(world, index, state, scope);
    // Without its parameters the class installer is never called.
    if (params != 0) return params;
    return sim_tree_call_installer(world, index, state, scope);
}

uint32_t sim_tree_install_flags(const SimWorld* world, int32_t index, uint32_t* flags) {
    const SimDiskInstance* disk = disk_at(world, index);
    if (disk == nullptr) return kErrorNoMoreItems;
    if (disk->params_error != 0) return disk->params_error;
    *flags = disk->install_flags;
    if (disk->disabled && disk->disable_flags_given) *flags = disk->disable_install_flags;
    if (!disk->disabled && disk->enable_flags_given) *flags = disk->enable_install_flags;
    return 0;
}
