// query version [-b]: the versions of the DSM driver and of MPIO, read from the
// version resources of their files in the system's drivers folder.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "handlers.h"
#include "platform.h"

namespace {

constexpr char kBuildNumberKey[] = "\\StringFileInfo\\040904B0\\Product Build Number";
constexpr int kShortVersionChars = 7;

struct VersionRow {
    const char* label;
    const char* file;
    bool build_number;  // true: the DSM's build number text; false: the fixed file version
};

const VersionRow kRows[] = {
    {"TARVIK RavlinDSM", "ravlindsm.sys", true},
    {"Microsoft MPIO", "mpio.sys", false},
};

// Prints the row's version line from the value the query found inside `block`.
void print_version(const VersionRow& row, bool build_flag, const char* block, uint32_t block_size,
                   const void* value, uint32_t length) {
    const char* at = static_cast<const char*>(value);
    // The value must lie inside the block; what is past its end is not read.
    size_t room = at >= block && at < block + block_size ? size_t(block + block_size - at) : 0;
    if (row.build_number) {
        int n = int(strnlen(at, room));
        if (build_flag) printf("%s Build Version %.*s\n", row.label, n, at);
        else printf("%s Version %.*s\n", row.label, n < kShortVersionChars ? n : kShortVersionChars, at);
        return;
    }
    PlatformFixedFileInfo info;
    memset(&info, 0, sizeof info);
    size_t take = length < sizeof info ? length : sizeof info;
    memcpy(&info, at, take < room ? take : room);
    printf("%s Version %d.%d.%d.%d\n", row.label, int(info.dwFileVersionMS >> 16), int(info.dwFileVersionMS & 0xFFFF),
           int(info.dwFileVersionLS >> 16), int(info.dwFileVersionLS & 0xFFFF));
}

// Prints the row's version line, or the failure line of its first failing step.
void report_row(const VersionRow& row, bool build_flag) {
    char system_dir[128] = "";
    platform_system_directory(system_dir, sizeof system_dir);
    char path[256];
    snprintf(path, sizeof path, "%s\\drivers\\%s", system_dir, row.file);

    uint32_t size = platform_version_info_size(path);
    if (size == 0) {
        printf("GetFileVersionInfoSize failed with last error %d \n", int(platform_last_error()));
        return;
    }
    char* block = static_cast<char*>(malloc(size));
    if (block == nullptr) {
        fprintf(stderr, "malloc failed!\n");
        return;
    }
    if (!platform_version_info(path, size, block)) {
        printf("GetFileVersionInfo failed with status %d \n", 0);
        free(block);
        return;
    }
    const void* value = nullptr;
    uint32_t length = 0;
    bool found = platform_version_query(block, row.build_number ? kBuildNumberKey : "\\", &value, &length);
    if (!found || length == 0 || value == nullptr) {
        free(block);
        printf("VerQueryValue Failed with status %d and bytes returned %d\n", found ? 1 : 0, int(length));
        return;
    }
    print_version(row, build_flag, block, size, value, length);
    free(block);
}

}  // namespace

int32_t show_versions(int build_number_flag) {
    for (const VersionRow& row : kRows) report_row(row, build_number_flag != 0);
    return 0;
}
