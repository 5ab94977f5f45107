// Checks the version resources that ravlin's version report reads, in the
// prefix's C:\windows\system32\drivers, against what a test expects:
//   version_check DSM_BUILD DSM_VERSION MPIO_VERSION
// DSM_BUILD is the "Product Build Number" text, "-" for a resource without it;
// a version is "a.b.c.d"; "none" for a file that must be missing (error 2).
// Prints one line per failed check and a closing "N passed, N failed"; exits 1 on any failure.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

int g_passed = 0;
int g_failed = 0;

void check(bool ok, const char* what, const char* got, const char* expected) {
    if (ok) {
        g_passed++;
        return;
    }
    g_failed++;
    printf("FAIL %s (got \"%s\", expected \"%s\")\n", what, got, expected);
}

char g_block[64 * 1024];

// Reads `name`'s version information into g_block; the Windows error, or 0.
DWORD read_block(const char* name) {
    char path[MAX_PATH];
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    snprintf(path, sizeof path, "%s\\drivers\\%s", system, name);
    DWORD handle = 0;
    SetLastError(0);
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return GetLastError();
    if (size > sizeof g_block || !GetFileVersionInfoA(path, 0, size, g_block)) return 1;
    return 0;
}

void file_version(char* out, size_t size) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(g_block, "\\", reinterpret_cast<void**>(&info), &length) || length == 0) {
        snprintf(out, size, "(no fixed file info)");
        return;
    }
    snprintf(out, size, "%lu.%lu.%lu.%lu", info->dwFileVersionMS >> 16, info->dwFileVersionMS & 0xFFFF,
             info->dwFileVersionLS >> 16, info->dwFileVersionLS & 0xFFFF);
}

void check_file(const char* name, const char* version, const char* build) {
    char what[96];
    DWORD error = read_block(name);
    if (strcmp(version, "none") == 0) {
        snprintf(what, sizeof what, "%s is missing (error 2)", name);
        char got[16];
        snprintf(got, sizeof got, "%lu", error);
        check(error == 2, what, got, "2");
        return;
    }
    snprintf(what, sizeof what, "%s has version information", name);
    check(error == 0, what, "", "");
    if (error != 0) return;
    char got[64];
    file_version(got, sizeof got);
    snprintf(what, sizeof what, "%s file version", name);
    check(strcmp(got, version) == 0, what, got, version);
    if (build == nullptr) return;
    char* text = nullptr;
    UINT length = 0;
    bool found = VerQueryValueA(g_block, "\\StringFileInfo\\040904B0\\Product Build Number",
                                reinterpret_cast<void**>(&text), &length) && length > 0;
    snprintf(what, sizeof what, "%s Product Build Number", name);
    if (strcmp(build, "-") == 0)
        check(!found, what, found ? text : "", "(none)");
    else
        check(found && strcmp(text, build) == 0, what, found ? text : "(none)", build);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        printf("usage: version_check DSM_BUILD DSM_VERSION MPIO_VERSION\n");
        return 2;
    }
    check_file("ravlindsm.sys", argv[2], strcmp(argv[2], "none") == 0 ? nullptr : argv[1]);
    check_file("mpio.sys", argv[3], nullptr);
    printf("version_check: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
