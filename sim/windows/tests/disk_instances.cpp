// Registers and removes disk drive instances in a Wine prefix, so that the setup
// API of the Windows build lists them as present disks (Wine has none of its own).
//   disk_instances add <instance id>...   creates and registers each one
//   disk_instances clear                  removes every disk drive instance
// Exit status 0 when every step succeeded.
#include <windows.h>

#include <setupapi.h>
#include <stdio.h>
#include <string.h>

namespace {

const GUID kDiskDriveClass = {0x4d36e967, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

int add(int count, char** ids) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kDiskDriveClass, nullptr);
    if (set == INVALID_HANDLE_VALUE) return 1;
    int failed = 0;
    for (int i = 0; i < count; i++) {
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        // Registering clears the phantom mark, which is what makes the instance present.
        if (!SetupDiCreateDeviceInfoA(set, ids[i], &kDiskDriveClass, nullptr, nullptr, 0, &data) ||
            !SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr)) {
            printf("cannot register %s: error %lu\n", ids[i], GetLastError());
            failed = 1;
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return failed;
}

int clear() {
    HDEVINFO set = SetupDiGetClassDevsA(&kDiskDriveClass, nullptr, nullptr, 0);
    if (set == INVALID_HANDLE_VALUE) return 1;
    int failed = 0;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); i++) {
        if (!SetupDiRemoveDevice(set, &data)) {
            printf("cannot remove disk %lu: error %lu\n", i, GetLastError());
            failed = 1;
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "add") == 0) return add(argc - 2, argv + 2);
    if (argc == 2 && strcmp(argv[1], "clear") == 0) return clear();
    printf("usage: disk_instances add <instance id>... | clear\n");
    return 2;
}
