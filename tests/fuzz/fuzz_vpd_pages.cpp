// Fuzzes the VPD page decoders with any work buffer a device might leave: every
// read stays inside it, the cells are well formed and the name fits its field.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "disk_identity.h"
#include "vpd_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char cells[kVpdCellMax][3];
    int32_t count = decode_vpd_00(data, size, cells);
    if (count < 0 || count > kVpdCellMax) __builtin_trap();
    for (int32_t i = 0; i < count; i++)
        if (cells[i][2] != '\0' || strlen(cells[i]) != 2) __builtin_trap();
    char name[kVdiskNameSize + 1];
    name[kVdiskNameSize] = 'x';  // a guard byte the decoder must never touch
    int32_t length = decode_vpd_d0(data, size, name);
    if (name[kVdiskNameSize] != 'x' || length < 0 || length >= kVdiskNameSize) __builtin_trap();
    if (strlen(name) != size_t(length)) __builtin_trap();
    return 0;
}
