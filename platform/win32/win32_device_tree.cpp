// The device tree of the Windows build: the configuration manager and the setup
// API themselves.
#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include "platform.h"

namespace {

// {4d36e967-e325-11ce-bfc1-08002be10318}, the disk drive setup class.
const GUID kDiskDriveClass = {0x4d36e967, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

static_assert(sizeof(SP_DEVINFO_DATA) <= sizeof(PlatformDisk::data));
static_assert(alignof(SP_DEVINFO_DATA) <= 8);
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20);
static_assert(offsetof(SP_PROPCHANGE_PARAMS, StateChange) == 8);
static_assert(offsetof(SP_PROPCHANGE_PARAMS, Scope) == 12);
static_assert(offsetof(SP_PROPCHANGE_PARAMS, HwProfile) == 16);
static_assert(DIF_PROPERTYCHANGE == 0x12);
static_assert(DICS_ENABLE == PLATFORM_DICS_ENABLE && DICS_DISABLE == PLATFORM_DICS_DISABLE);
static_assert(DICS_FLAG_GLOBAL == PLATFORM_DICS_FLAG_GLOBAL);
static_assert(DICS_FLAG_CONFIGSPECIFIC == PLATFORM_DICS_FLAG_CONFIGSPECIFIC);
static_assert(DI_NEEDRESTART == PLATFORM_DI_NEEDRESTART && DI_NEEDREBOOT == PLATFORM_DI_NEEDREBOOT);
static_assert(CR_ACCESS_DENIED == PLATFORM_CR_ACCESS_DENIED);

// The setup API's handle behind a disk set.
HDEVINFO set_handle(PlatformDiskSet set) { return reinterpret_cast<HDEVINFO>(set.value); }

// The device information record kept inside a disk entry.
SP_DEVINFO_DATA* disk_data(PlatformDisk* disk) { return reinterpret_cast<SP_DEVINFO_DATA*>(disk->data); }

}  // namespace

uint32_t platform_locate_root(uint32_t* node) {
    DEVINST root = 0;
    CONFIGRET result = CM_Locate_DevNodeA(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL);
    *node = root;
    return result;
}

uint32_t platform_reenumerate(uint32_t node) { return CM_Reenumerate_DevNode(node, 0); }

PlatformDiskSet platform_disk_set_open() {
    HDEVINFO set = SetupDiGetClassDevsA(&kDiskDriveClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return PlatformDiskSet{0};
    return PlatformDiskSet{reinterpret_cast<uintptr_t>(set)};
}

void platform_disk_set_close(PlatformDiskSet set) { SetupDiDestroyDeviceInfoList(set_handle(set)); }

bool platform_disk_at(PlatformDiskSet set, uint32_t index, PlatformDisk* disk) {
    disk->index = index;
    SP_DEVINFO_DATA* data = disk_data(disk);
    ZeroMemory(data, sizeof *data);
    data->cbSize = sizeof *data;
    return SetupDiEnumDeviceInfo(set_handle(set), index, data) != FALSE;
}

bool platform_disk_instance_id(PlatformDiskSet set, PlatformDisk* disk, char* buffer, uint32_t size) {
    return SetupDiGetDeviceInstanceIdA(set_handle(set), disk_data(disk), buffer, size, nullptr) != FALSE;
}

bool platform_disk_property_change(PlatformDiskSet set, PlatformDisk* disk, uint32_t state, uint32_t scope) {
    SP_PROPCHANGE_PARAMS params;
    ZeroMemory(&params, sizeof params);
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = state;
    params.Scope = scope;
    params.HwProfile = 0;
    if (!SetupDiSetClassInstallParamsA(set_handle(set), disk_data(disk), &params.ClassInstallHeader, sizeof params))
        return false;
    return SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set_handle(set), disk_data(disk)) != FALSE;
}

bool platform_disk_install_flags(PlatformDiskSet set, PlatformDisk* disk, uint32_t* flags) {
    SP_DEVINSTALL_PARAMS_A params;
    ZeroMemory(&params, sizeof params);
    params.cbSize = sizeof params;
    if (!SetupDiGetDeviceInstallParamsA(set_handle(set), disk_data(disk), &params)) return false;
    *flags = params.Flags;
    return true;
}
