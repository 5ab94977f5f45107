// The small operating-system surface that ravlin and fenmar use. Declarations only:
// the build links platform/win32 (the Win32 calls themselves) or platform/posix
// (real files and time; control device and console from the driver simulator).
// Errors are Windows error codes on both builds, so callers never translate.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

// An open device; value 0 means none.
struct PlatformHandle {
    uintptr_t value;
};

// Opens an existing device for read and write, no sharing. On failure returns a
// handle with value 0 and sets the last error.
PlatformHandle platform_open_device(const char* path);

// One synchronous device-control request. Returns true on success and stores the
// number of bytes returned; on failure sets the last error (and leaves *returned).
bool platform_device_control(PlatformHandle handle, uint32_t code, void* in, uint32_t in_len, void* out,
                             uint32_t out_len, uint32_t* returned);

// Closes a device handle; false (with the last error set) when the close fails.
bool platform_close_device(PlatformHandle handle);

// The calling thread's last Windows error code.
uint32_t platform_last_error();

// Looks `id` up in the message table of the own module (language 0x400), with
// `args` for its inserts. Copies at most size - 1 characters into `buffer` and
// returns true when the table delivered a text; false otherwise.
bool platform_message_lookup(uint32_t id, va_list* args, char* buffer, size_t size);

// Character attributes of the console behind standard output. False (last error
// set) when standard output is not a console.
bool platform_console_get_attributes(uint16_t* attributes);
bool platform_console_set_attributes(uint16_t attributes);

struct PlatformLocalTime {
    int month;  // 1..12
    int day;
    int hour;
    int minute;
    int second;
    int millisecond;
};

// The local time now; false when it cannot be had.
bool platform_local_time(PlatformLocalTime* now);

bool platform_file_exists(const char* path);
// The size of a file in bytes; false when it cannot be read.
bool platform_file_size(const char* path, uint64_t* size);

// A process-wide lock (a critical section with a spin count on Windows).
struct PlatformLock;
PlatformLock* platform_lock_create(uint32_t spin_count);
void platform_lock_enter(PlatformLock* lock);
void platform_lock_leave(PlatformLock* lock);

// Fixed paths. Windows: the system folders themselves; POSIX: the same layout
// under $RAVLIN_SIM_ROOT. The returned texts live for the whole run.
const char* platform_activity_log_path();  // C:\Windows\System32\ravlindsm.log
const char* platform_cache_path();         // C:\Windows\System32\ravlindsm_config.json

// Suspends the calling thread for `milliseconds`.
void platform_sleep_ms(uint32_t milliseconds);
