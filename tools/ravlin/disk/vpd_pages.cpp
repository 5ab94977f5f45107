// Decoding of VPD pages 0x00 and 0xD0 from the INQUIRY work buffer.
#include "vpd_pages.h"

#include <string.h>

#include "disk_identity.h"
#include "scsi_disk.h"

uint8_t vpd_data_byte(const uint8_t* buffer, size_t size, uint32_t k) {
    size_t offset = size_t(kVpdDataOffset) + k;
    return offset < size ? buffer[offset] : 0;
}

int32_t decode_vpd_00(const uint8_t* buffer, size_t size, char (*cells)[3]) {
    static const char kHex[] = "0123456789abcdef";
    int32_t count = vpd_data_byte(buffer, size, 3);
    if (count > kVpdCellMax) count = kVpdCellMax;
    for (int32_t i = 0; i < count; i++) {
        uint8_t code = vpd_data_byte(buffer, size, uint32_t(4 + i));
        cells[i][0] = kHex[code >> 4];
        cells[i][1] = kHex[code & 15];
        cells[i][2] = '\0';
    }
    return count;
}

int32_t decode_vpd_d0(const uint8_t* buffer, size_t size, char* vdisk_name) {
    memset(vdisk_name, 0, kVdiskNameSize);
    // A length above 127 would overrun the field: the name is cut instead.
    uint32_t n = vpd_data_byte(buffer, size, 2);
    if (n > uint32_t(kVdiskNameSize - 1)) n = kVdiskNameSize - 1;
    int32_t length = 0;
    for (uint32_t i = 0; i < n; i++) {
        uint8_t c = vpd_data_byte(buffer, size, 3 + i);
        if (c == 0) break;
        vdisk_name[length++] = char(c);
    }
    return length;
}
