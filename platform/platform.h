// The small operating-system surface that ravlin and fenmar use. Declarations only:
// the build links platform/win32 (the Win32 calls themselves) or platform/posix
// (real files and time; control device and console from the driver simulator).
// Errors are Windows error codes on both builds, so callers never translate.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

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

// The screen buffer of the console behind standard output: its size, the cursor and
// the attributes text is written in. False where standard output is no console whose
// cells can be read and written (the Linux build: its colours travel in the stream).
struct PlatformConsoleInfo {
    int32_t width;
    int32_t height;
    int32_t cursor_x;
    int32_t cursor_y;
    uint16_t attributes;
};
bool platform_console_info(PlatformConsoleInfo* info);
// The attributes of `count` cells from the start of screen row `row` on, row after row.
bool platform_console_read_cells(int32_t row, uint32_t count, uint16_t* attributes);
bool platform_console_write_cells(int32_t row, uint32_t count, const uint16_t* attributes);

// Puts standard output in binary mode (`binary`) or back in text mode where the C
// runtime of text mode turns each line end into CR LF on its own (Windows): in
// text mode a console write goes out in pieces of about a thousand characters, in
// binary mode whole. True when it did, and in binary mode the caller writes CR LF
// itself; false where there is one mode and line ends stay as written.
bool platform_stdout_binary(bool binary);

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

// ---- Other programs, libraries and temporary files: the HBA tool that ravlin
// starts, and the HBA library that fenmar loads.

// Runs `command_line` through the command interpreter (cmd.exe; /bin/sh) and
// returns the interpreter's exit status, or a negative value when the
// interpreter could not be started.
int32_t platform_run_command(const char* command_line);

// Creates a new empty file with a unique name in the system's temporary folder
// and writes its path into `path`. False when none could be made.
bool platform_make_temp_file(char* path, size_t size);

// Removes a file; false when it could not be removed (or was not there).
bool platform_remove_file(const char* path);

// The folder of the running program, ending in its separator, into `dir`.
bool platform_program_dir(char* dir, size_t size);

// The file name of the HBA tool as it stands beside ravlin ("Fenmar.exe"; "fenmar").
const char* platform_hba_tool_name();

// The HBA tool by its plain name, as the command interpreter finds it: the
// current folder first, then the search path. The text lives for the whole run.
const char* platform_hba_tool_plain_command();

// `text` as one word of a command line (quoted), into `out`. False when it
// does not fit or cannot be quoted.
bool platform_quote_command_word(const char* text, char* out, size_t size);

// A dynamically loaded library; value 0 means none.
struct PlatformLibrary {
    uintptr_t value;
};

// The HBA API library that fenmar loads by name: "hbaapi.dll"; on Linux the
// common library libHBAAPI.so.2, or the one that $FENMAR_HBA_LIBRARY names.
const char* platform_hba_library_name();

// Loads a library by name (LoadLibraryA; dlopen). Value 0 when it cannot be loaded.
PlatformLibrary platform_load_library(const char* name);

// The address of the function `name` in the library, or nullptr when it has none.
void* platform_library_function(PlatformLibrary library, const char* name);

// Unloads a library loaded by platform_load_library.
void platform_free_library(PlatformLibrary library);
// ---- Version information of files (GetSystemDirectoryA, GetFileVersionInfo*) ----

// The fixed part of a version resource, laid out as the platform's VS_FIXEDFILEINFO.
struct PlatformFixedFileInfo {
    uint32_t dwSignature;
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(PlatformFixedFileInfo) == 52);

// Writes the Windows system directory into `buffer`; its length, or 0 on failure.
// POSIX: "C:\Windows\System32", whose driver files the simulator describes.
uint32_t platform_system_directory(char* buffer, uint32_t size);

// The size of `path`'s version information; 0 with the last error set when it has none.
uint32_t platform_version_info_size(const char* path);

// Reads `path`'s version information into `block` (`size` bytes, owned by the caller).
bool platform_version_info(const char* path, uint32_t size, void* block);

// Looks `key` up in a block filled by platform_version_info. On success *value
// points into the block (a PlatformFixedFileInfo for "\", a NUL-terminated text
// for a string value) and *length is the value's length as the platform gives it.
bool platform_version_query(const void* block, const char* key, const void** value, uint32_t* length);

// The device tree (configuration manager and setup API). Results of the
// configuration-manager calls are its own return codes (0 success); the setup
// calls return false with the last error set to a Windows error code.
constexpr uint32_t PLATFORM_CR_ACCESS_DENIED = 0x33;
constexpr uint32_t PLATFORM_DICS_ENABLE = 1;
constexpr uint32_t PLATFORM_DICS_DISABLE = 2;
constexpr uint32_t PLATFORM_DICS_FLAG_GLOBAL = 1;
constexpr uint32_t PLATFORM_DICS_FLAG_CONFIGSPECIFIC = 2;
constexpr uint32_t PLATFORM_DI_NEEDRESTART = 0x80;
constexpr uint32_t PLATFORM_DI_NEEDREBOOT = 0x100;

// The set of present disk drives; value 0 means none.
struct PlatformDiskSet {
    uintptr_t value;
};
// One member of a disk set, as the enumeration filled it in.
struct PlatformDisk {
    uint32_t index;
    alignas(8) uint8_t data[32];  // the system's device information record
};

// Locates the root node of the device tree into *node; the manager's return code.
uint32_t platform_locate_root(uint32_t* node);
// Asks for the tree below `node` to be enumerated again (flags 0); returns at once
// with the manager's return code.
uint32_t platform_reenumerate(uint32_t node);

// The present members of the disk drive class; value 0 (last error set) on failure.
// The caller closes it with platform_disk_set_close.
PlatformDiskSet platform_disk_set_open();
void platform_disk_set_close(PlatformDiskSet set);
// Member `index` of the set; false when there is none (the enumeration's end).
bool platform_disk_at(PlatformDiskSet set, uint32_t index, PlatformDisk* disk);
// Copies the member's device instance identifier, terminated, into `buffer`.
bool platform_disk_instance_id(PlatformDiskSet set, PlatformDisk* disk, char* buffer, uint32_t size);
// Sets a property change request (state, scope, hardware profile 0) as the
// member's class-install parameters and calls the class installer with it.
bool platform_disk_property_change(PlatformDiskSet set, PlatformDisk* disk, uint32_t state, uint32_t scope);
// The flags of the member's install parameters.
bool platform_disk_install_flags(PlatformDiskSet set, PlatformDisk* disk, uint32_t* flags);

// Disk device objects ("\\.\PhysicalDriveN"): opened for read and write with read
// and write sharing; requests and close as for any device. Windows: the Win32 calls;
// POSIX: the simulator's disks. Errors as platform_open_device and friends.
PlatformHandle platform_open_disk(const char* path);
bool platform_disk_control(PlatformHandle disk, uint32_t code, void* in, uint32_t in_len, void* out,
                           uint32_t out_len, uint32_t* returned);
bool platform_close_disk(PlatformHandle disk);

// Replaces the file at `path` with `size` bytes of `data`, never leaving it
// truncated or half-written: the bytes go to a temporary file in the same folder,
// are flushed to the disk, and that file is renamed over `path`. False when any
// step fails (the old file is then left as it was).
bool platform_replace_file(const char* path, const void* data, size_t size);

// A document that replaces a file in one step, for a reader that may look at any
// moment (a metrics collector): written to a new file, made durable, then moved
// over the old one. Errors are Windows error codes (3 no such folder, 5 access
// denied or a read-only file, 32 in use, 112 disk full), on both builds.
// Creates (or truncates) `path` for writing in binary mode; nullptr with *error set.
FILE* platform_create_file(const char* path, uint32_t* error);
// Flushes `f` and makes its bytes reach the disk, then closes it; 0 or the error.
uint32_t platform_commit_file(FILE* f);
// Moves file `from` over `to` in one step. A `to` marked read-only is never
// replaced (5). Windows: MoveFileExA with MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH, tried again for up to 2 s while another program holds
// `to` open. 0 or the error.
uint32_t platform_move_over(const char* from, const char* to);
// The running process's identifier (for names of temporary files).
uint32_t platform_process_id();

// Seconds since 1970-01-01 00:00 UTC, with the fraction the system clock gives.
double platform_unix_time();
// Seconds of a clock that only goes forward (for a duration).
double platform_monotonic_seconds();

// Suspends the calling thread for `milliseconds`.
void platform_sleep_ms(uint32_t milliseconds);
