// The text form of a listing pass: the detail and statistics displays, and each
// message framed as the console shows it.
#include <stdio.h>

#include "device_display.h"
#include "device_stats_display.h"
#include "listing_view.h"
#include "output_policy.h"

namespace {

void begin_pass(int32_t, uint32_t, uint32_t) {}
void end_pass(int32_t) {}

void title(const char*, int32_t, const char* text) { print_out("\n%s\n", text); }

void record(const DeviceFetch* f, uint32_t flags, uint32_t request_code) {
    if (request_code == IOCTL_DSM_GET_DEVICE_STATS) print_device_stats(&f->stats);
    else print_device(&f->record, flags, &f->preferred);
}

void slot_message(const char*, int32_t, int32_t, const char* text) { print_out("\n%s\n", text); }

void pass_message(const char* text, bool framed) {
    if (framed) print_out("\n%s\n", text);
    else print_out("%s", text);
}

void empty_scope(const char*, const char* text) { print_out("%s", text); }

const ListingView kTextView = {begin_pass, end_pass, title, record, slot_message, pass_message, empty_scope};

}  // namespace

const ListingView* text_listing_view() { return &kTextView; }
