// Prints what the version resource and the application manifest of each given
// program say, read the way Windows tools read them (the version calls ravlin's
// own version report makes), so that the release check can compare every field
// with the product version:
//   release_resources FILE...
// For each file: "file NAME", one "KEY=VALUE" line per string and fixed field,
// then the manifest between "manifest-begin" and "manifest-end". A field that
// cannot be read prints "KEY!missing"; a file without version information ends
// the run with status 1.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

const char* const kStrings[] = {"CompanyName",      "FileDescription", "FileVersion", "InternalName",
                                "LegalCopyright",   "OriginalFilename", "ProductName", "ProductVersion"};

char g_block[64 * 1024];

void print_fixed(const char* key, DWORD ms, DWORD ls) {
    printf("%s=%lu.%lu.%lu.%lu\n", key, ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
}

// Prints the version fields of `path`; false when it has no readable version information.
bool print_version(const char* path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0 || size > sizeof g_block || !GetFileVersionInfoA(path, 0, size, g_block)) {
        printf("version!missing (error %lu)\n", GetLastError());
        return false;
    }
    for (const char* key : kStrings) {
        char query[96];
        snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", key);
        char* text = nullptr;
        UINT length = 0;
        if (VerQueryValueA(g_block, query, reinterpret_cast<void**>(&text), &length) && length > 0)
            printf("%s=%s\n", key, text);
        else
            printf("%s!missing\n", key);
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(g_block, "\\", reinterpret_cast<void**>(&info), &length) || length < sizeof *info) {
        printf("fixed!missing\n");
        return true;
    }
    print_fixed("fixed.FileVersion", info->dwFileVersionMS, info->dwFileVersionLS);
    print_fixed("fixed.ProductVersion", info->dwProductVersionMS, info->dwProductVersionLS);
    printf("fixed.FileType=%lu\n", info->dwFileType);
    printf("fixed.FileFlags=%lu\n", info->dwFileFlags & info->dwFileFlagsMask);
    return true;
}

// Prints the program's own manifest (resource 1 of type 24), read as data: a
// 64-bit check reads the 32-bit fenmar.exe's too.
void print_manifest(const char* path) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (text == nullptr) {
        printf("manifest!missing (error %lu)\n", GetLastError());
    } else {
        printf("manifest-begin\n");
        fwrite(text, 1, SizeofResource(module, found), stdout);
        printf("\nmanifest-end\n");
    }
    if (module) FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; i++) {
        printf("file %s\n", argv[i]);
        if (!print_version(argv[i])) status = 1;
        print_manifest(argv[i]);
    }
    return status;
}
