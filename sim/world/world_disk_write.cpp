// Writes the scenario's "disks" section in the form read_disks takes back.
#include <stdio.h>

#include "json_put.h"
#include "world_disk_json.h"

namespace {

using namespace json_put;

// Page bytes as hex digits separated by blanks: "00 d0 03 61 62 63".
void put_page(TextOut* out, const char* key, const uint8_t* page, uint32_t length) {
    char text[3 * SIM_VPD_PAGE_MAX + 1];
    static const char kHex[] = "0123456789abcdef";
    if (length > uint32_t(SIM_VPD_PAGE_MAX)) length = SIM_VPD_PAGE_MAX;
    size_t n = 0;
    for (uint32_t i = 0; i < length; i++) {
        if (i > 0) text[n++] = ' ';
        text[n++] = kHex[page[i] >> 4];
        text[n++] = kHex[page[i] & 15];
    }
    text[n] = '\0';
    put_text(out, key, text);
}

void put_disk(TextOut* out, const SimDisk* d) {
    json_begin(out, '{', true);
    put_uint(out, "number", d->number);
    char address[12];
    snprintf(address, sizeof address, "%02X-%02X-%02X-%02X", unsigned(d->scsi_address[0]),
             unsigned(d->scsi_address[1]), unsigned(d->scsi_address[2]), unsigned(d->scsi_address[3]));
    put_text(out, "scsi_address", address);
    put_page(out, "page_00", d->page_00, d->page_00_length);
    put_page(out, "page_d0", d->page_d0, d->page_d0_length);
    json_key(out, "reject");
    json_begin(out, '[', false);
    for (size_t i = 0; i < kDiskRejectWords.count; i++) {
        if ((d->reject & kDiskRejectWords.entries[i].value) == 0) continue;
        json_next(out);
        json_string(out, kDiskRejectWords.entries[i].word, 2);
    }
    json_end(out);
    put_uint(out, "open_error", d->open_error);
    put_uint(out, "address_error", d->address_error);
    put_uint(out, "pass_through_error", d->pass_through_error);
    json_end(out);
}

}  // namespace

void put_disks(TextOut* out, const SimDisks* disks) {
    int n = disks->count < 0 ? 0 : disks->count > SIM_MAX_DISKS ? SIM_MAX_DISKS : int(disks->count);
    json_key(out, "disks");
    json_begin(out, '[', true);
    for (int i = 0; i < n; i++) {
        json_next(out);
        put_disk(out, &disks->disks[i]);
    }
    json_end(out);
}
