// The device tree of the Linux build: the simulator's disk drive instances, in
// the world that the open control device holds. Without an open control device
// there is no tree: the root is not found and no disk set can be had.
#include "platform.h"
#include "posix_error.h"
#include "posix_world.h"
#include "sim_device_tree.h"
#include "sim_world.h"

namespace {

constexpr uint32_t kCrFailure = 0x13;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uintptr_t kDiskSetHandle = 1;

// The world behind a disk set, or nullptr (last error set) when the set is not ours.
SimWorld* set_world(PlatformDiskSet set) {
    SimWorld* world = posix_open_world();
    if (set.value != kDiskSetHandle || world == nullptr) {
        posix_set_last_error(kErrorInvalidHandle);
        return nullptr;
    }
    return world;
}

// True for 0; otherwise sets the last error and returns false.
bool succeeded(uint32_t error) {
    if (error == 0) return true;
    posix_set_last_error(error);
    return false;
}

}  // namespace

uint32_t platform_locate_root(uint32_t* node) {
    *node = 0;
    SimWorld* world = posix_open_world();
    return world == nullptr ? kCrFailure : sim_tree_locate_root(world, node);
}

uint32_t platform_reenumerate(uint32_t node) {
    SimWorld* world = posix_open_world();
    return world == nullptr ? kCrFailure : sim_tree_reenumerate(world, node);
}

PlatformDiskSet platform_disk_set_open() {
    SimWorld* world = posix_open_world();
    if (world == nullptr) {
        posix_set_last_error(kErrorInvalidHandle);
        return PlatformDiskSet{0};
    }
    if (!succeeded(sim_tree_list_error(world))) return PlatformDiskSet{0};
    return PlatformDiskSet{kDiskSetHandle};
}

void platform_disk_set_close(PlatformDiskSet) {}

bool platform_disk_at(PlatformDiskSet set, uint32_t index, PlatformDisk* disk) {
    SimWorld* world = set_world(set);
    if (world == nullptr) return false;
    if (index >= uint32_t(sim_tree_disk_count(world))) return succeeded(259);  // no more items
    disk->index = index;
    return true;
}

bool platform_disk_instance_id(PlatformDiskSet set, PlatformDisk* disk, char* buffer, uint32_t size) {
    SimWorld* world = set_world(set);
    return world != nullptr && succeeded(sim_tree_instance_id(world, int32_t(disk->index), buffer, size));
}

bool platform_disk_property_change(PlatformDiskSet set, PlatformDisk* disk, uint32_t state, uint32_t scope) {
    SimWorld* world = set_world(set);
    return world != nullptr && succeeded(sim_tree_property_change(world, int32_t(disk->index), state, scope));
}

bool platform_disk_install_flags(PlatformDiskSet set, PlatformDisk* disk, uint32_t* flags) {
    SimWorld* world = set_world(set);
    return world != nullptr && succeeded(sim_tree_install_flags(world, int32_t(disk->index), flags));
}
