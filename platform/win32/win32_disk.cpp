// Disk device objects and the safe file replacement of the Windows build.
#include <windows.h>

#include <stdio.h>

#include "platform.h"

PlatformHandle platform_open_disk(const char* path) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PlatformHandle{0};
    return PlatformHandle{reinterpret_cast<uintptr_t>(h)};
}

bool platform_disk_control(PlatformHandle disk, uint32_t code, void* in, uint32_t in_len, void* out,
                           uint32_t out_len, uint32_t* returned) {
    return platform_device_control(disk, code, in, in_len, out, out_len, returned);
}

bool platform_close_disk(PlatformHandle disk) { return platform_close_device(disk); }

bool platform_replace_file(const char* path, const void* data, size_t size) {
    char temp[MAX_PATH + 32];
    int n = snprintf(temp, sizeof temp, "%s.%lu.tmp", path, static_cast<unsigned long>(GetCurrentProcessId()));
    if (n < 0 || size_t(n) >= sizeof temp) return false;
    HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : DWORD(size);
        DWORD written = 0;
        ok = WriteFile(h, p, chunk, &written, nullptr) && written == chunk;
        p += chunk;
        size -= chunk;
    }
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    if (ok) ok = MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileA(temp);
    return ok;
}
