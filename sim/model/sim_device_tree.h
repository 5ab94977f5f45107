// The simulated device tree: what the configuration manager and the setup API
// show ravlin of the machine's disk drives. Freestanding like the rest of the
// model. Every property change is journalled, so a test sees the exact sequence.
#pragma once

#include <stdint.h>

#include "sim_codes.h"

constexpr int SIM_MAX_DISK_INSTANCES = 64;
// One more than the 1024 bytes ravlin reads an identifier into, so a scenario can
// hold an identifier that does not fit there.
constexpr int SIM_INSTANCE_ID_SIZE = 1025;


struct SimDiskInstance {
    char instance_id[SIM_INSTANCE_ID_SIZE];  // terminated
    uint32_t id_error;        // nonzero: reading the identifier fails with this error
    uint32_t change_error;    // nonzero: every property change fails with this error
    uint32_t params_error;    // nonzero: reading the install parameters fails
    uint32_t install_flags;   // install-parameter flags after a change (DI_NEEDRESTART ...)
    uint32_t disabled;        // the last configuration-specific change was a disable
    uint32_t class_params_error;   // nonzero: setting the class-install parameters fails
    uint32_t disable_error;        // nonzero: the class installer fails a disable
    uint32_t enable_error;         // ... a configuration-specific enable
    uint32_t global_enable_error;  // ... the global enable
    uint32_t disable_flags_given;  // nonzero: after a disable the flags are disable_install_flags
    uint32_t disable_install_flags;
    uint32_t enable_flags_given;   // nonzero: after an enable the flags are enable_install_flags
    uint32_t enable_install_flags;
};

struct SimDeviceTree {
    uint32_t locate_result;       // return code of locating the root node
    uint32_t reenumerate_result;  // return code of a re-enumeration
    uint32_t list_error;          // nonzero: the disk drive set cannot be had
    uint32_t reenumerate_count;   // successful re-enumerations so far
    uint32_t journal_calls;       // nonzero: locate, re-enumerate and class-install parameters are journalled
    int32_t disk_count;           // disks[] entries in use
    SimDiskInstance disks[SIM_MAX_DISK_INSTANCES];
};

struct SimWorld;

// Locating the root node: the configured return code; *node is 1 on success.
uint32_t sim_tree_locate_root(SimWorld* world, uint32_t* node);
// Re-enumeration below `node`: the configured return code (counted on success).
uint32_t sim_tree_reenumerate(SimWorld* world, uint32_t node);
// 0 when the disk drive set can be had, else its error.
uint32_t sim_tree_list_error(const SimWorld* world);
// Present disk instances, clamped to the table.
int32_t sim_tree_disk_count(const SimWorld* world);
// Copies disk `index`'s identifier into `out` (room for `size` bytes, terminated):
// 0, the disk's id_error, 259 for no such disk, or 122 when it does not fit.
uint32_t sim_tree_instance_id(const SimWorld* world, int32_t index, char* out, uint32_t size);
// The two halves of a property change, for a caller that makes them apart (the
// Windows build's setup API): setting disk `index`'s class-install parameters
// (journalled with journal_calls), 0 or the disk's class_params_error; and the
// class installer's call, which applies the change and journals it: 0 or its error.
uint32_t sim_tree_class_params(SimWorld* world, int32_t index, uint32_t state, uint32_t scope);
uint32_t sim_tree_call_installer(SimWorld* world, int32_t index, uint32_t state, uint32_t scope);
// Both halves of one property change to disk `index`: the installer is called
// only when the parameters were set. 0 or the first error.
uint32_t sim_tree_property_change(SimWorld* world, int32_t index, uint32_t state, uint32_t scope);
// The install-parameter flags of disk `index` into *flags: 0 or an error.
uint32_t sim_tree_install_flags(const SimWorld* world, int32_t index, uint32_t* flags);
