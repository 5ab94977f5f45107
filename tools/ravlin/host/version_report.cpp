// query version [-b]: the versions of the DSM driver and of MPIO, read from the
// version resources of their files in the system's drivers folder.
#include "version_report.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "invocation_settings.h"
#include "output_policy.h"
#include "platform.h"

namespace {

constexpr char kBuildNumberKey[] = "\\StringFileInfo\\040904B0\\Product Build Number";

const VersionRow kRows[] = {
    {"TARVIK RavlinDSM", "ravlindsm.sys", true},
    {"Microsoft MPIO", "mpio.sys", false},
};

}  // namespace

const VersionRow* version_rows(size_t* count) {
    *count = sizeof kRows / sizeof kRows[0];
    return kRows;
}

void print_version_row(const VersionRow& row, bool build_flag, const VersionFound& v) {
    if (v.failure == VersionFailure::InfoSize) {
        print_out("GetFileVersionInfoSize failed with last error %d \n", int(v.error));
    } else if (v.failure == VersionFailure::Info) {
        print_out("GetFileVersionInfo failed with status %d \n", 0);
    } else if (v.failure == VersionFailure::Query) {
        print_out("VerQueryValue Failed with status %d and bytes returned %d\n", v.found ? 1 : 0, int(v.length));
    } else if (v.failure == VersionFailure::None && row.build_number) {
        if (build_flag) print_out("%s Build Version %.*s\n", row.label, v.text_length, v.text);
        else print_out("%s Version %.*s\n", row.label, v.text_length < kShortVersionChars ? v.text_length : kShortVersionChars, v.text);
    } else if (v.failure == VersionFailure::None) {
        print_out("%s Version %d.%d.%d.%d\n", row.label, int(v.info.dwFileVersionMS >> 16),
               int(v.info.dwFileVersionMS & 0xFFFF), int(v.info.dwFileVersionLS >> 16),
               int(v.info.dwFileVersionLS & 0xFFFF));
    }
}

void read_version_row(const VersionRow& row, VersionFound* v) {
    memset(v, 0, sizeof *v);
    char system_dir[128] = "";
    platform_system_directory(system_dir, sizeof system_dir);
    char path[256];
    snprintf(path, sizeof path, "%s\\drivers\\%s", system_dir, row.file);
    uint32_t size = platform_version_info_size(path);
    if (size == 0) {
        v->failure = VersionFailure::InfoSize;
        v->error = platform_last_error();
        return;
    }
    char* block = static_cast<char*>(malloc(size));
    if (block == nullptr) {
        flush_output();
        fprintf(stderr, "malloc failed!\n");
        v->failure = VersionFailure::Memory;
        return;
    }
    if (!platform_version_info(path, size, block)) {
        v->failure = VersionFailure::Info;
        free(block);
        return;
    }
    const void* value = nullptr;
    uint32_t length = 0;
    bool found = platform_version_query(block, row.build_number ? kBuildNumberKey : "\\", &value, &length);
    if (!found || length == 0 || value == nullptr) {
        free(block);
        v->failure = VersionFailure::Query;
        v->found = found;
        v->length = length;
        return;
    }
    const char* at = static_cast<const char*>(value);
    // The value must lie inside the block; what is past its end is not read.
    size_t room = at >= block && at < block + size ? size_t(block + size - at) : 0;
    if (row.build_number) {
        v->text = at;
        v->text_length = int(strnlen(at, room));
        v->block = block;  // the text lives in the block
    } else {
        size_t take = length < sizeof v->info ? length : sizeof v->info;
        memcpy(&v->info, at, take < room ? take : room);
        free(block);
    }
}

void release_version_row(VersionFound* v) {
    free(v->block);
    v->block = nullptr;
    v->text = nullptr;
}
