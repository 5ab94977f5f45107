// Reads the scenario's "disks" section. A page is given either by what it means
// (the supported page codes, the vdisk name) or as its raw bytes.
#include <string.h>

#include <unordered_set>

#include "world_disk_json.h"

namespace {

using namespace json_values;

const WordEntry kRejectEntries[] = {{"00", SIM_DISK_REJECT_00}, {"d0", SIM_DISK_REJECT_D0}};

// Raw page bytes as hex digits, blanks allowed between bytes: "00 d0 05 76 6f".
bool read_page_bytes(Reader* r, const Where& w, const char* key, const cJSON* item, uint8_t* page,
                     uint8_t* length) {
    if (!cJSON_IsString(item)) return fail(r, w, key, "hex bytes expected, found %s", kind(item));
    memset(page, 0, SIM_VPD_PAGE_MAX);  // nothing of a default page lingers behind the bytes given
    uint32_t n = 0;
    for (const char* p = item->valuestring; *p != '\0';) {
        if (*p == ' ') {
            p++;
            continue;
        }
        int hi = hex_digit(p[0]);
        int lo = hi < 0 ? -1 : hex_digit(p[1]);
        if (hi < 0 || lo < 0) return fail(r, w, key, "hex bytes such as \"00 d0 03 61 62 63\" expected");
        if (n == uint32_t(SIM_VPD_PAGE_MAX)) return fail(r, w, key, "more than %d bytes", SIM_VPD_PAGE_MAX);
        page[n++] = uint8_t(hi << 4 | lo);
        p += 2;
    }
    *length = uint8_t(n);
    return true;
}

// Page 0x00 from a list of page codes written as two hex digits each.
bool read_supported(Reader* r, const Where& w, const char* key, const cJSON* list, SimDisk* d) {
    if (!expect_list(r, w, key, list, SIM_VPD_PAGE_MAX - 4, "page codes")) return false;
    memset(d->page_00, 0, sizeof d->page_00);
    uint32_t n = 0;
    const cJSON* item;
    cJSON_ArrayForEach(item, list) {
        const char* t = cJSON_IsString(item) ? item->valuestring : "";
        int hi = hex_digit(t[0]);
        int lo = hi < 0 ? -1 : hex_digit(t[1]);
        if (hi < 0 || lo < 0 || t[2] != '\0') return fail(r, w, key, "page codes such as \"d0\" expected");
        d->page_00[4 + n++] = uint8_t(hi << 4 | lo);
    }
    d->page_00[0] = 0;
    d->page_00[1] = 0x00;
    d->page_00[2] = 0;
    d->page_00[3] = uint8_t(n);
    d->page_00_length = uint8_t(4 + n);
    return true;
}

// Page 0xD0 in the array's layout: byte 2 the name's length, the name from byte 3.
bool read_vdisk_name(Reader* r, const Where& w, const char* key, const cJSON* item, SimDisk* d) {
    char name[SIM_VPD_PAGE_MAX - 3 + 1];
    if (!read_text(r, w, key, item, name, sizeof name - 1)) return false;
    size_t n = strlen(name);
    memset(d->page_d0, 0, sizeof d->page_d0);
    d->page_d0[1] = 0xD0;
    d->page_d0[2] = uint8_t(n);
    memcpy(d->page_d0 + 3, name, n);
    d->page_d0_length = uint8_t(3 + n);
    return true;
}

bool read_disk(Reader* r, const Where& w, const cJSON* object, SimDisk* d) {
    // The meaning forms are read first, so raw bytes given beside them win.
    static const char* const kDefaultPages[] = {"00", "80", "83", "d0"};
    cJSON* defaults = cJSON_CreateStringArray(kDefaultPages, 4);
    bool ok = defaults != nullptr && read_supported(r, w, "supported_pages", defaults, d);
    cJSON_Delete(defaults);
    if (!ok) return fail(r, w, nullptr, "out of memory");
    d->page_d0[1] = 0xD0;
    d->page_d0_length = 3;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (is(key, "supported_pages")) ok = read_supported(r, w, key, item, d);
        else if (is(key, "vdisk_name")) ok = read_vdisk_name(r, w, key, item, d);
        else continue;
        if (!ok) return false;
    }
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (is(key, "number")) ok = read_u32(r, w, key, item, &d->number);
        else if (is(key, "scsi_address")) ok = read_scsi_address(r, w, key, item, d->scsi_address);
        else if (is(key, "page_00")) ok = read_page_bytes(r, w, key, item, d->page_00, &d->page_00_length);
        else if (is(key, "page_d0")) ok = read_page_bytes(r, w, key, item, d->page_d0, &d->page_d0_length);
        else if (is(key, "reject")) ok = read_word_set(r, w, key, item, &kDiskRejectWords, &d->reject);
        else if (is(key, "open_error")) ok = read_u32(r, w, key, item, &d->open_error);
        else if (is(key, "address_error")) ok = read_u32(r, w, key, item, &d->address_error);
        else if (is(key, "pass_through_error")) ok = read_u32(r, w, key, item, &d->pass_through_error);
        else if (is(key, "supported_pages") || is(key, "vdisk_name")) ok = true;
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

const WordTable kDiskRejectWords = {kRejectEntries, sizeof kRejectEntries / sizeof kRejectEntries[0]};

bool read_disks(Reader* r, const cJSON* list, SimDisks* disks) {
    if (!expect_list(r, Where{}, "disks", list, SIM_MAX_DISKS, "disks")) return false;
    int i = 0;
    uint32_t next_number = 1;  // Wine's own PhysicalDrive0 is taken
    std::unordered_set<uint32_t> numbers;  // every world load reads thousands of disks
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where dw = where_item("disks", i);
        SimDisk* d = &disks->disks[i];
        d->number = next_number;
        if (!expect_object(r, dw, nullptr, object) || !read_disk(r, dw, object, d)) return false;
        if (!numbers.insert(d->number).second) return fail(r, dw, "number", "disk %u is listed twice", d->number);
        next_number = d->number + 1;
        i++;
    }
    disks->count = i;
    return true;
}
