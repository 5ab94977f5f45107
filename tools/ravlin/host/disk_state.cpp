// Disabling and enabling the MPIO disk instances that carry a restart pattern.
#include <stdio.h>
#include <string.h>

#include "failure_message.h"
#include "restart_parts.h"

namespace {

constexpr uint32_t kInstanceIdSize = 1024;

}  // namespace

uint32_t change_disk_state(PlatformDiskSet set, PlatformDisk* disk, uint32_t state) {
    // An enable is first made for every hardware profile; only the
    // configuration-specific change below decides the outcome.
    if (state == PLATFORM_DICS_ENABLE)
        platform_disk_property_change(set, disk, PLATFORM_DICS_ENABLE, PLATFORM_DICS_FLAG_GLOBAL);
    if (!platform_disk_property_change(set, disk, state, PLATFORM_DICS_FLAG_CONFIGSPECIFIC)) {
        uint32_t error = platform_last_error();
        print_aside(" fail to invoke DIF_PROPERTYCHANGE:%d\r\n", int(error));
        return error;
    }
    uint32_t flags = 0;
    if (platform_disk_install_flags(set, disk, &flags) &&
        (flags & (PLATFORM_DI_NEEDRESTART | PLATFORM_DI_NEEDREBOOT)) != 0)
        print_aside("need to reboot\r\n");
    else
        print_aside("%s disk succeed\r\n", state == PLATFORM_DICS_ENABLE ? "enable" : "disable");
    return 0;
}

uint32_t change_mpio_disk_state(const char* pattern, uint32_t state) {
    PlatformDiskSet set = platform_disk_set_open();
    if (set.value == 0) return 0;
    uint32_t last_error = 0;
    PlatformDisk disk;
    for (uint32_t index = 0; platform_disk_at(set, index, &disk); index++) {
        static char id[kInstanceIdSize];
        id[0] = '\0';
        if (!platform_disk_instance_id(set, &disk, id, sizeof id)) continue;
        if (strstr(id, "MPIO") == nullptr || strstr(id, pattern) == nullptr) continue;
        uint32_t result = change_disk_state(set, &disk, state);
        if (result != 0) last_error = result;
    }
    platform_disk_set_close(set);
    return last_error;
}
