#include "device_stats_display.h"

#include <stdio.h>

#include "message_catalogue.h"
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
    snprintf(title, sizeof title, msg::DEVICE_STATS_TITLE, int(s->DeviceNumber));
    print_out("\n%s", get_message_text_as_is(MESSAGE_ID(DEVICE_STATS_TITLE), title, int(s->DeviceNumber), "\n"));
    print_out("=============");
    print_out("\n%16c", ' ');
    print_out("%s", get_message_text(MESSAGE(STATS_HEADER)));
    print_out("%s", get_message_text(MESSAGE(IO_ROW_LABEL)));
    print_row(s->IoCounters, "\n");
    print_out("%s", get_message_text(MESSAGE(SECTOR_ROW_LABEL)));
    print_row(s->SectorCounters, "\n");
    print_out("\n%s", get_message_text(MESSAGE(TRANSFER_ROW_LABEL)));
    print_out("%s", get_message_text(MESSAGE(TRANSFER_HEADER)));
    print_out("%16c", ' ');
    print_row(s->SizeHistogram, "\n\n");
}
