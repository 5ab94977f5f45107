// Time, files, the message table, the lock and the fixed paths of the Linux build.
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>

#include "platform.h"
#include "posix_error.h"
#include "world_file.h"

namespace {

constexpr uint32_t kErrorResourceNotFound = 1812;  // what an image without a message table answers

char g_log_path[4096];
char g_cache_path[4096];

// Creates `dir` and its parents; failures show up later when the file is opened.
void make_dirs(const char* dir) {
    char path[4096];
    snprintf(path, sizeof path, "%s", dir);
    for (char* p = path + 1; *p != '\0'; p++) {
        if (*p != '/') continue;
        *p = '\0';
        mkdir(path, 0777);
        *p = '/';
    }
    mkdir(path, 0777);
}

// $RAVLIN_SIM_ROOT/Windows/System32/<name>, with the folders made on first use.
const char* system_file(char* out, size_t size, const char* name) {
    if (out[0] == '\0') {
        char dir[3072];
        snprintf(dir, sizeof dir, "%s/Windows/System32", sim_root_dir());
        make_dirs(dir);
        snprintf(out, size, "%s/%s", dir, name);
    }
    return out;
}

}  // namespace

struct PlatformLock {
    pthread_mutex_t mutex;
};

bool platform_message_lookup(uint32_t, va_list*, char*, size_t) {
    posix_set_last_error(kErrorResourceNotFound);
    return false;
}

bool platform_local_time(PlatformLocalTime* now) {
    struct timeval tv;
    struct tm local;
    if (gettimeofday(&tv, nullptr) != 0 || localtime_r(&tv.tv_sec, &local) == nullptr) return false;
    now->month = local.tm_mon + 1;
    now->day = local.tm_mday;
    now->hour = local.tm_hour;
    now->minute = local.tm_min;
    now->second = local.tm_sec;
    now->millisecond = int(tv.tv_usec / 1000);
    return true;
}

bool platform_file_exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

bool platform_file_size(const char* path, uint64_t* size) {
    struct stat st;
    if (stat(path, &st) != 0) {
        posix_set_last_error(errno == ENOENT ? 2 : 5);
        return false;
    }
    *size = uint64_t(st.st_size);
    return true;
}

PlatformLock* platform_lock_create(uint32_t) {
    static PlatformLock lock = {PTHREAD_MUTEX_INITIALIZER};
    return &lock;
}

void platform_lock_enter(PlatformLock* lock) { pthread_mutex_lock(&lock->mutex); }

void platform_lock_leave(PlatformLock* lock) { pthread_mutex_unlock(&lock->mutex); }

const char* platform_activity_log_path() { return system_file(g_log_path, sizeof g_log_path, "ravlindsm.log"); }

const char* platform_cache_path() {
    return system_file(g_cache_path, sizeof g_cache_path, "ravlindsm_config.json");
}
