#include "activity_log.h"

#include <stdarg.h>
#include <stdio.h>

#include "failure_message.h"
#include "invocation_settings.h"
#include "output_policy.h"

namespace {

PlatformLock* g_log_lock = nullptr;
char g_log_message[kLogMessageSize];
// Kept across writes: a record whose time cannot be read reuses the last texts.
char g_log_date[16];
char g_log_time[16];

constexpr size_t kGenerationNameSize = 1024;

void generation_name(char* out, const char* base, int generation) {
    snprintf(out, kGenerationNameSize, "%s.%d", base, generation);
}

// Appends the message already in g_log_message; the lock is held.
void append_record() {
    PlatformLocalTime now;
    if (platform_local_time(&now)) format_log_timestamp(&now, g_log_date, g_log_time);

    const char* path = platform_activity_log_path();
    FILE* file = fopen(path, "a");
    if (file == nullptr) {
        print_aside("can not open log file: ravlindsm.log\n");
        return;
    }
    fprintf(file, "%s %s %s", g_log_date, g_log_time, g_log_message);
    long size = ftell(file);
    fclose(file);
    if (size > 0 && uint64_t(size) > kLogRotateThreshold) rotate_log_generations(path);
}

// Takes the lock; false (nothing taken) for a null or empty text, which writes nothing.
bool begin_record(const char* text) {
    if (text == nullptr || text[0] == '\0') return false;
    if (g_log_lock == nullptr) activity_log_init();
    platform_lock_enter(g_log_lock);
    return true;
}

void end_record() {
    append_record();
    platform_lock_leave(g_log_lock);
}

}  // namespace

void activity_log_init() {
    if (g_log_lock == nullptr) g_log_lock = platform_lock_create(1024);
}

void write_activity_log(const char* text, ...) {
    if (!begin_record(text)) return;
    va_list args;
    va_start(args, text);
    vsnprintf(g_log_message, sizeof g_log_message, text, args);
    va_end(args);
    end_record();
}

void write_activity_log_as_is(const char* text) {
    if (!begin_record(text)) return;
    snprintf(g_log_message, sizeof g_log_message, "%s", text);
    end_record();
}

void format_log_timestamp(const PlatformLocalTime* now, char date[16], char time[16]) {
    snprintf(date, 16, "%02d/%02d", now->month, now->day);
    snprintf(time, 16, "%02d:%02d:%02d", now->hour, now->minute, now->second);
}

void rotate_log_generations(const char* base) {
    char source[kGenerationNameSize];
    char target[kGenerationNameSize];
    flush_output();  // a failure below goes to stderr, after what stdout already holds

    generation_name(target, base, 4);
    if (platform_file_exists(target) && remove(target) != 0) fprintf(stderr, "remove file(%s) failed!\n", target);

    for (int generation = 3; generation >= 1; generation--) {
        generation_name(source, base, generation);
        generation_name(target, base, generation + 1);
        if (!platform_file_exists(source)) continue;
        if (rename(source, target) != 0) fprintf(stderr, "rname file %s from %s failed!\n", target, source);
    }

    // The base moves last, and is tried even when it is not there.
    generation_name(target, base, 1);
    if (rename(base, target) != 0) fprintf(stderr, "rname file %s from %s failed!\n", target, base);
}
