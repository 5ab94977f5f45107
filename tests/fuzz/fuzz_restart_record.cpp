// Fuzzes the decoding of a device record from the driver for the MPIO disk
// restart: any bytes as the record, unterminated texts and wild path counts
// included. The serial found must fit its buffer and yield a pattern of exactly
// two uppercase hex digits per character.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "restart_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    memcpy(&record, data, size < sizeof record ? size : sizeof record);

    char serial[kRestartSerialSize];
    uint32_t path = 0;
    if (!record_restart_serial(&record, serial, &path)) return 0;
    size_t n = strlen(serial);
    if (n >= size_t(kRestartSerialSize) || path >= uint32_t(DSM_MAX_PATHS) || path >= record.PathCount) abort();
    char pattern[kRestartPatternSize];
    build_restart_pattern(serial, pattern);
    if (strlen(pattern) != 2 * n) abort();
    for (size_t i = 0; i < 2 * n; i++)
        if (!((pattern[i] >= '0' && pattern[i] <= '9') || (pattern[i] >= 'A' && pattern[i] <= 'F'))) abort();
    return 0;
}
