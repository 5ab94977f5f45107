// The platform layer of the Windows build: each operation is the Win32 call.
#include <windows.h>

#include <stddef.h>
#include <stdio.h>

#include "platform.h"

PlatformHandle platform_open_device(const char* path) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PlatformHandle{0};
    return PlatformHandle{reinterpret_cast<uintptr_t>(h)};
}

bool platform_device_control(PlatformHandle handle, uint32_t code, void* in, uint32_t in_len, void* out,
                             uint32_t out_len, uint32_t* returned) {
    DWORD bytes = 0;
    if (!DeviceIoControl(reinterpret_cast<HANDLE>(handle.value), code, in, in_len, out, out_len, &bytes, nullptr))
        return false;
    *returned = bytes;
    return true;
}

bool platform_close_device(PlatformHandle handle) { return CloseHandle(reinterpret_cast<HANDLE>(handle.value)) != 0; }

uint32_t platform_last_error() { return GetLastError(); }

bool platform_message_lookup(uint32_t id, va_list* args, char* buffer, size_t size) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE, nullptr, id, 0x400,
                             reinterpret_cast<LPSTR>(&text), 0, args);
    if (n == 0 || text == nullptr) return false;
    snprintf(buffer, size, "%s", text);
    LocalFree(text);
    return true;
}

bool platform_console_get_attributes(uint16_t* attributes) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return false;
    *attributes = info.wAttributes;
    return true;
}

bool platform_console_set_attributes(uint16_t attributes) {
    return SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attributes) != 0;
}

bool platform_console_info(PlatformConsoleInfo* info) {
    CONSOLE_SCREEN_BUFFER_INFO screen;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen)) return false;
    info->width = screen.dwSize.X;
    info->height = screen.dwSize.Y;
    info->cursor_x = screen.dwCursorPosition.X;
    info->cursor_y = screen.dwCursorPosition.Y;
    info->attributes = screen.wAttributes;
    return true;
}

bool platform_console_read_cells(int32_t row, uint32_t count, uint16_t* attributes) {
    DWORD read = 0;
    COORD at = {0, SHORT(row)};
    return ReadConsoleOutputAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attributes, count, at, &read) != 0 &&
           read == count;
}

bool platform_console_write_cells(int32_t row, uint32_t count, const uint16_t* attributes) {
    DWORD written = 0;
    COORD at = {0, SHORT(row)};
    return WriteConsoleOutputAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attributes, count, at, &written) != 0 &&
           written == count;
}

bool platform_local_time(PlatformLocalTime* now) {
    SYSTEMTIME utc;
    SYSTEMTIME local;
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
    now->month = local.wMonth;
    now->day = local.wDay;
    now->hour = local.wHour;
    now->minute = local.wMinute;
    now->second = local.wSecond;
    now->millisecond = local.wMilliseconds;
    return true;
}

bool platform_file_exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool platform_file_size(const char* path, uint64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    *size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

struct PlatformLock {
    CRITICAL_SECTION section;
};

PlatformLock* platform_lock_create(uint32_t spin_count) {
    static PlatformLock lock;
    InitializeCriticalSectionAndSpinCount(&lock.section, spin_count);
    return &lock;
}

void platform_lock_enter(PlatformLock* lock) { EnterCriticalSection(&lock->section); }

void platform_lock_leave(PlatformLock* lock) { LeaveCriticalSection(&lock->section); }

const char* platform_activity_log_path() { return "C:\\Windows\\System32\\ravlindsm.log"; }

const char* platform_cache_path() { return "C:\\Windows\\System32\\ravlindsm_config.json"; }

static_assert(sizeof(PlatformFixedFileInfo) == sizeof(VS_FIXEDFILEINFO));
static_assert(offsetof(PlatformFixedFileInfo, dwFileVersionMS) == offsetof(VS_FIXEDFILEINFO, dwFileVersionMS));
static_assert(offsetof(PlatformFixedFileInfo, dwFileVersionLS) == offsetof(VS_FIXEDFILEINFO, dwFileVersionLS));

uint32_t platform_system_directory(char* buffer, uint32_t size) { return GetSystemDirectoryA(buffer, size); }

uint32_t platform_version_info_size(const char* path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path, &handle);
}

bool platform_version_info(const char* path, uint32_t size, void* block) {
    return GetFileVersionInfoA(path, 0, size, block) != 0;
}

bool platform_version_query(const void* block, const char* key, const void** value, uint32_t* length) {
    void* found = nullptr;
    UINT n = 0;
    if (!VerQueryValueA(block, key, &found, &n)) return false;
    *value = found;
    *length = n;
    return true;
}

void platform_sleep_ms(uint32_t milliseconds) { Sleep(milliseconds); }
