// Version information of the Linux build: the two driver files that the version
// report reads are described by the simulator's world, not found on disk. A block
// holds what one file's version resource would: its fixed file version and, for
// the DSM driver, its "Product Build Number" value.
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "platform.h"
#include "posix_error.h"
#include "posix_world.h"
#include "world_file.h"

namespace {

constexpr char kSystemDirectory[] = "C:\\Windows\\System32";
constexpr char kDriversDirectory[] = "C:\\Windows\\System32\\drivers\\";
constexpr char kBuildNumberKey[] = "\\StringFileInfo\\040904B0\\Product Build Number";
constexpr uint32_t kBlockMagic = 0xFEEF04BDu;  // the fixed-info signature, reused as the block's mark
constexpr uint32_t kErrorResourceTypeNotFound = 1813;
constexpr uint32_t kErrorInvalidParameter = 87;

struct VersionBlock {
    uint32_t magic;
    uint32_t has_build_number;
    char build_number[64];
    PlatformFixedFileInfo fixed;
};

SimWorld g_version_world;  // about 5 MB: static, never on the stack

// The world's versions, read under the world lock; false when the world cannot be read.
bool load_versions(SimVersions* versions) {
    WorldFile file;
    char error[256];
    if (!world_file_lock_and_load(&file, &g_version_world, error, sizeof error)) {
        posix_report_simulator_error(error);
        return false;
    }
    world_file_unlock(&file);
    *versions = g_version_world.versions;
    return true;
}

// Fills *block for `path`; 0, or the Windows error the file answers with.
uint32_t describe(const char* path, VersionBlock* block) {
    size_t prefix = sizeof kDriversDirectory - 1;
    if (strncasecmp(path, kDriversDirectory, prefix) != 0) return DSM_ERROR_FILE_NOT_FOUND;
    const char* name = path + prefix;
    bool dsm = strcasecmp(name, "ravlindsm.sys") == 0;
    bool mpio = strcasecmp(name, "mpio.sys") == 0;
    SimVersions v;
    if (!(dsm || mpio) || !load_versions(&v)) return DSM_ERROR_FILE_NOT_FOUND;
    if (!(dsm ? v.dsm_present : v.mpio_present)) return DSM_ERROR_FILE_NOT_FOUND;
    memset(block, 0, sizeof *block);
    block->magic = kBlockMagic;
    const uint16_t* parts = dsm ? v.dsm_file_version : v.mpio_file_version;
    block->fixed.dwSignature = kBlockMagic;
    block->fixed.dwStrucVersion = 0x00010000;
    block->fixed.dwFileVersionMS = uint32_t(parts[0]) << 16 | parts[1];
    block->fixed.dwFileVersionLS = uint32_t(parts[2]) << 16 | parts[3];
    block->fixed.dwProductVersionMS = block->fixed.dwFileVersionMS;
    block->fixed.dwProductVersionLS = block->fixed.dwFileVersionLS;
    if (dsm) {
        // The world's field may be full: copy it bounded and keep the terminator.
        memcpy(block->build_number, v.dsm_build_number, sizeof block->build_number - 1);
        block->has_build_number = block->build_number[0] != '\0' || v.dsm_build_number_empty;
    }
    return 0;
}

}  // namespace

uint32_t platform_system_directory(char* buffer, uint32_t size) {
    if (size < sizeof kSystemDirectory) return sizeof kSystemDirectory;
    memcpy(buffer, kSystemDirectory, sizeof kSystemDirectory);
    return sizeof kSystemDirectory - 1;
}

uint32_t platform_version_info_size(const char* path) {
    VersionBlock block;
    uint32_t error = describe(path, &block);
    if (error != 0) {
        posix_set_last_error(error);
        return 0;
    }
    return sizeof block;
}

bool platform_version_info(const char* path, uint32_t size, void* out) {
    VersionBlock block;
    uint32_t error = describe(path, &block);
    if (error == 0 && size < sizeof block) error = DSM_ERROR_INSUFFICIENT_BUFFER;
    if (error != 0) {
        posix_set_last_error(error);
        return false;
    }
    memcpy(out, &block, sizeof block);
    return true;
}

bool platform_version_query(const void* data, const char* key, const void** value, uint32_t* length) {
    const VersionBlock* block = static_cast<const VersionBlock*>(data);
    if (block == nullptr || block->magic != kBlockMagic) {
        posix_set_last_error(kErrorInvalidParameter);
        return false;
    }
    if (strcmp(key, "\\") == 0) {
        *value = &block->fixed;
        *length = sizeof block->fixed;
        return true;
    }
    if (strcmp(key, kBuildNumberKey) == 0 && block->has_build_number) {
        // As the Windows call gives a text value: its characters and the terminator.
        // An empty value holds no bytes at all, not even the terminator.
        *value = block->build_number;
        size_t n = strnlen(block->build_number, sizeof block->build_number - 1);
        *length = n == 0 ? 0 : uint32_t(n + 1);
        return true;
    }
    posix_set_last_error(kErrorResourceTypeNotFound);
    return false;
}
