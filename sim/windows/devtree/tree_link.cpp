// The test device tree's requests to \\.\RAVLINSIM.
#include "tree_link.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "sim_control.h"

namespace {

HANDLE open_simulator() {
    return CreateFileA(RAVLINSIM_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

bool tree_link_call(SimTreeCall* call) {
    HANDLE device = open_simulator();
    if (device == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, RAVLINSIM_TREE_CALL, call, sizeof *call, call, sizeof *call, &returned, nullptr);
    CloseHandle(device);
    // The answer comes from another program: its text is used as a C string.
    call->text[sizeof call->text - 1] = '\0';
    return ok && returned == sizeof *call;
}

void tree_link_note(const char* format, ...) {
    // The caller reads the last error after the call this line notes.
    DWORD last_error = GetLastError();
    // Room for the longest identifier the world holds, with the call around it.
    static char line[SIM_INSTANCE_ID_SIZE + 256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    HANDLE device = n < 0 ? INVALID_HANDLE_VALUE : open_simulator();
    if (device != INVALID_HANDLE_VALUE) {
        size_t length = strlen(line);
        line[length++] = '\n';
        DWORD returned = 0;
        DeviceIoControl(device, RAVLINSIM_TREE_NOTE, line, DWORD(length), nullptr, 0, &returned, nullptr);
        CloseHandle(device);
    }
    SetLastError(last_error);
}
