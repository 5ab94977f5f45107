// Console attributes of the Linux build: ANSI colours on a terminal; like Windows,
// the screen-buffer query fails when standard output is not a console.
#include <stdio.h>
#include <unistd.h>

#include "platform.h"
#include "posix_error.h"

namespace {

constexpr uint32_t kErrorInvalidHandle = 6;
uint16_t g_attributes = 7;  // what a fresh Windows console reports

// ANSI colour number for the three colour bits of a console attribute nibble.
int ansi_colour(int bits) {
    static const int kMap[8] = {0, 4, 2, 6, 1, 5, 3, 7};  // blue, green, red bits to ANSI order
    return kMap[bits & 7];
}

}  // namespace

bool platform_console_get_attributes(uint16_t* attributes) {
    if (!isatty(STDOUT_FILENO)) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    *attributes = g_attributes;
    return true;
}

bool platform_console_set_attributes(uint16_t attributes) {
    if (!isatty(STDOUT_FILENO)) {
        posix_set_last_error(kErrorInvalidHandle);
        return false;
    }
    g_attributes = attributes;
    int fg = ansi_colour(attributes) + ((attributes & 0x08) ? 90 : 30);
    int bg = ansi_colour(attributes >> 4) + ((attributes & 0x80) ? 100 : 40);
    // Every attribute, the plain 7 included, as the colours a Windows console shows:
    // the intensity bits pick the bright ANSI colours. The sequence travels in the
    // stream itself, so it lands between the same characters whenever stdout is flushed.
    printf("\x1b[%d;%dm", fg, bg);
    return true;
}

bool platform_console_info(PlatformConsoleInfo*) { return false; }

bool platform_console_read_cells(int32_t, uint32_t, uint16_t*) { return false; }

bool platform_console_write_cells(int32_t, uint32_t, const uint16_t*) { return false; }
