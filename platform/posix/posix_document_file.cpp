// Replacing a document file in one step on POSIX, and the clocks.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform.h"

namespace {

// The Windows error code callers interpret for an errno value.
uint32_t windows_error(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case EBUSY:
    case ETXTBSY: return 32;
    case ENOSPC:
    case EDQUOT: return 112;
    default: return 31;
    }
}

}  // namespace

FILE* platform_create_file(const char* path, uint32_t* error) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr) *error = windows_error(errno);
    return f;
}

uint32_t platform_commit_file(FILE* f) {
    int e = 0;
    if (fflush(f) != 0 || ferror(f)) e = errno != 0 ? errno : EIO;
    if (e == 0 && fsync(fileno(f)) != 0) e = errno;
    if (fclose(f) != 0 && e == 0) e = errno;
    return e == 0 ? 0 : windows_error(e);
}

uint32_t platform_move_over(const char* from, const char* to) {
    // As on Windows: a file marked read-only (no write permission at all) stays,
    // whoever runs us (root could otherwise replace it).
    struct stat st;
    if (stat(to, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return 5;
    return rename(from, to) == 0 ? 0 : windows_error(errno);
}

uint32_t platform_process_id() { return uint32_t(getpid()); }

double platform_unix_time() {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double platform_monotonic_seconds() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
