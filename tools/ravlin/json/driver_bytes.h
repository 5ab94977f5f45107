// How a byte of a driver text becomes UTF-8 in every machine output (JSON
// documents, metrics labels): a byte below 0x80 stands for itself, and every other
// byte for the code point of its own value (U+0080..U+00FF), so any bytes the
// driver sends come out as valid UTF-8 and can be mapped back.
#pragma once

#include <stddef.h>

// Writes the UTF-8 form of `c` into `out` (room for 2); returns its length, 1 or 2.
inline size_t driver_byte_utf8(unsigned char c, char* out) {
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    out[0] = char(0xC0 | (c >> 6));
    out[1] = char(0x80 | (c & 0x3F));
    return 2;
}
