#include "device_stats_display.h"

#include <stdio.h>

#include "message_text.h"
#include "output_policy.h"

namespace {

void print_row(const uint32_t (&v)[5], const char* end) {
    print_out("%10u%13u%13u%14u%10u%s", unsigned(v[0]), unsigned(v[1]), unsigned(v[2]), unsigned(v[3]), unsigned(v[4]),
              end);
}

}  // namespace

void print_device_stats(const DSM_DEVICE_STATS* s) {
    char title[64];
    snprintf(title, sizeof title, "Device #: %3d\n", int(s->DeviceNumber));
    print_out("\n%s", get_message_text_as_is(0x40000027, title, int(s->DeviceNumber), "\n"));
    print_out("=============");
    print_out("\n%16c", ' ');
    print_out("%s", get_message_text(0x40000029, "Total Read  Total Write  Active Read  Active Write   Maximum\n"));
    print_out("%s", get_message_text(0x4000002A, "I/O:            "));
    print_row(s->IoCounters, "\n");
    print_out("%s", get_message_text(0x4000002B, "SECTOR:         "));
    print_row(s->SectorCounters, "\n");
    print_out("\n%s", get_message_text(0x4000002D, "Transfer Size:  "));
    print_out("%s", get_message_text(0x4000002C, "    <= 512        <= 4k       <= 16K        <= 64K     > 64K\n"));
    print_out("%16c", ' ');
    print_row(s->SizeHistogram, "\n\n");
}
