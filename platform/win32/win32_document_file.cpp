// Replacing a document file in one step on Windows, and the clocks.
#include <windows.h>

#include <io.h>
#include <stdio.h>

#include "platform.h"

namespace {

constexpr DWORD kRetryMilliseconds = 2000;
constexpr DWORD kRetryStep = 50;

uint32_t error_or(uint32_t fallback) {
    DWORD e = GetLastError();
    return e != 0 ? e : fallback;
}

}  // namespace

FILE* platform_create_file(const char* path, uint32_t* error) {
    SetLastError(0);
    FILE* f = fopen(path, "wb");
    if (f == nullptr) *error = error_or(ERROR_ACCESS_DENIED);
    return f;
}

uint32_t platform_commit_file(FILE* f) {
    uint32_t error = 0;
    SetLastError(0);
    if (fflush(f) != 0 || ferror(f)) error = error_or(ERROR_WRITE_FAULT);
    if (error == 0) {
        HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
        if (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h)) error = error_or(ERROR_WRITE_FAULT);
    }
    if (fclose(f) != 0 && error == 0) error = error_or(ERROR_WRITE_FAULT);
    return error;
}

uint32_t platform_move_over(const char* from, const char* to) {
    // Windows refuses to replace a read-only file; said here so that every
    // system that runs us (Wine does not refuse) keeps such a file.
    DWORD target = GetFileAttributesA(to);
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY) != 0) return ERROR_ACCESS_DENIED;
    DWORD waited = 0;
    for (;;) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        DWORD e = GetLastError();
        // A reader (the exporter) holding the old file open refuses the move for a
        // moment; a file marked read-only refuses it for good.
        DWORD attributes = GetFileAttributesA(to);
        bool read_only = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        bool in_use = e == ERROR_SHARING_VIOLATION || (e == ERROR_ACCESS_DENIED && !read_only &&
                                                        attributes != INVALID_FILE_ATTRIBUTES &&
                                                        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
        if (!in_use || waited >= kRetryMilliseconds) return e;
        Sleep(kRetryStep);
        waited += kRetryStep;
    }
}

uint32_t platform_process_id() { return uint32_t(GetCurrentProcessId()); }

double platform_unix_time() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;  // 100 ns since 1601
    constexpr uint64_t kEpochTicks = 116444736000000000ull;
    return ticks < kEpochTicks ? 0.0 : double(ticks - kEpochTicks) / 1e7;
}

double platform_monotonic_seconds() {
    LARGE_INTEGER frequency, now;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now) || frequency.QuadPart == 0)
        return double(GetTickCount64()) / 1000.0;
    return double(now.QuadPart) / double(frequency.QuadPart);
}
