// Fuzzes the decoding of the HBA tool's output: the input is cut into lines the
// way read_host_ports reads its file (pieces of at most 255 characters), every
// cell filled to its end so an overread shows, and parsed into the table.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "host_ports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char lines[kHostPortLineMax][kHostPortTextSize];
    static uint8_t ids[kHostPortMax];
    static char wwpns[kHostPortMax][kHostPortTextSize];
    int32_t n = 0;
    size_t at = 0;
    while (at < size && n < kHostPortLineMax) {
        size_t len = 0;
        while (at + len < size && len < kHostPortTextSize - 1 && data[at + len] != '\n') len++;
        if (at + len < size && data[at + len] == '\n' && len < kHostPortTextSize - 1) len++;
        memset(lines[n], 'x', sizeof lines[n]);
        memcpy(lines[n], data + at, len);
        lines[n][len] = '\0';
        n++;
        at += len;
    }
    int32_t count = 99;
    int32_t result = parse_host_ports(lines, n, ids, wwpns, &count);
    if (n == 0 && (result != -1 || count != 0)) __builtin_trap();
    if (n > 0 && (result != count || count < 0 || count > n)) __builtin_trap();
    for (int32_t i = 0; i < count; i++)
        if (strnlen(wwpns[i], kHostPortTextSize) >= size_t(kHostPortTextSize)) __builtin_trap();
    return 0;
}
