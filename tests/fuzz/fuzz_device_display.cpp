// Fuzzes the device displays with driver data: a device record, a preferred-path
// record and a statistics record, and the capacity replies that print_lun_size
// reads (the driver's answers come from the input, through a fake control device).
// Input: flags (4 bytes), device record (4344), preferred path (12), statistics (80),
// then per request to the driver or to the device's disk: 1 control byte (bit 0:
// fail, bit 1: with the second error code) and 124 reply bytes. A disk's reply is
// the VPD page data of a pass-through, or the start of any shorter reply; the disk
// restart that a disconnected disk starts finds no disk instances.
// The same records then go through the machine-output writers: every document must
// parse back (cJSON), and every driver text in it must decode to exactly the bytes
// of its field up to the first NUL, never more than the field holds.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <cJSON.h>

#include <string>

#include "device_display.h"
#include "device_json.h"
#include "disk_identity.h"
#include "device_stats_display.h"
#include "host_port_table.h"
#include "invocation_settings.h"
#include "json_checks.h"
#include "platform.h"

void posix_set_last_error(uint32_t error);

namespace {

const uint8_t* g_replies;
size_t g_replies_left;

constexpr size_t kChunk = 1 + 124;
// Where the page data of a disk pass-through lands in its buffer.
constexpr uint32_t kPageOffset = 124;

// The next reply of the input, or nullptr (last error set) when it is used up.
const uint8_t* next_reply() {
    if (g_replies_left < kChunk) {
        posix_set_last_error(31);
        return nullptr;
    }
    const uint8_t* chunk = g_replies;
    g_replies += kChunk;
    g_replies_left -= kChunk;
    return chunk;
}




// Writes one entry's members into a document of its own and parses it back.
template <typename Write>
cJSON* document(Write write) {
    static std::string out;
    static JsonWriter w;
    out.clear();
    json_start(&w, JsonSink{append_to_string, &out});
    json_begin_object(&w, nullptr);
    write(&w);
    json_end_object(&w);
    if (!json_finish(&w)) abort();
    cJSON* parsed = cJSON_ParseWithLength(out.data(), out.size());
    if (parsed == nullptr) abort();
    return parsed;
}

void check_device_document(const DSM_DEVICE_RECORD* r, uint32_t flags, const DSM_PREFERRED_PATH* preferred) {
    static DeviceFacts found;
    gather_device_facts(r, preferred, flags, &found);
    cJSON* d = document([&](JsonWriter* w) { write_device_members(w, &found); });
    check_text(d, "nt_name", r->DeviceName, sizeof r->DeviceName);
    check_text(d, "serial", r->SerialNumber, sizeof r->SerialNumber);
    check_text(d, "product_id", r->ProductId, sizeof r->ProductId);
    check_text(d, "lun_identifier", r->LunIdentifier, sizeof r->LunIdentifier);
    const cJSON* volume = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(d, "volume"), "name");
    std::string bytes;
    if (cJSON_IsString(volume) && (!bytes_of(volume->valuestring, &bytes) || bytes.size() >= kVdiskNameSize)) abort();
    const cJSON* paths = cJSON_GetObjectItemCaseSensitive(d, "paths");
    const cJSON* path;
    cJSON_ArrayForEach(path, paths) {
        check_path_entry(path, r);
    }
    if (cJSON_GetArraySize(paths) > DSM_MAX_PATHS) abort();
    cJSON_Delete(d);
}

void check_stats_document(const DSM_DEVICE_STATS* s) {
    cJSON* d = document([&](JsonWriter* w) { write_device_stats_members(w, s); });
    check_text(d, "product_id", s->ProductId, sizeof s->ProductId);
    cJSON_Delete(d);
}

}  // namespace

// The control device, faked for this target: replies are taken from the input.
PlatformHandle platform_open_device(const char*) { return PlatformHandle{1}; }
bool platform_close_device(PlatformHandle) { return true; }
bool platform_device_control(PlatformHandle, uint32_t, void* in, uint32_t in_len, void* out, uint32_t out_len,
                             uint32_t* returned) {
    const uint8_t* chunk = next_reply();
    if (chunk == nullptr) return false;
    if ((chunk[0] & 1) != 0) {
        posix_set_last_error((chunk[0] & 2) != 0 ? 1306 : 31);
        return false;
    }
    // The reply overwrites the start of the request, as a buffered transfer does.
    uint32_t n = out_len < 124 ? out_len : 124;
    if (in != nullptr && in_len < n) n = in_len;
    memcpy(out, chunk + 1, n);
    *returned = n > uint32_t(chunk[0] >> 1) ? n - (chunk[0] >> 1) : n;
    return true;
}

// The device's disk, faked the same way.
PlatformHandle platform_open_disk(const char*) { return PlatformHandle{2}; }
bool platform_close_disk(PlatformHandle) { return true; }
bool platform_disk_control(PlatformHandle, uint32_t, void*, uint32_t, void* out, uint32_t out_len, uint32_t* returned) {
    const uint8_t* chunk = next_reply();
    if (chunk == nullptr) return false;
    if ((chunk[0] & 1) != 0) {
        posix_set_last_error((chunk[0] & 2) != 0 ? 1167 : 31);
        return false;
    }
    uint32_t at = out_len > kPageOffset ? kPageOffset : 0;
    uint32_t n = out_len - at < 124 ? out_len - at : 124;
    memcpy(static_cast<uint8_t*>(out) + at, chunk + 1, n);
    *returned = at + n;
    return true;
}

// No disk drive instances: the quiet restart changes nothing.
uint32_t platform_locate_root(uint32_t*) { return 0x13; }
uint32_t platform_reenumerate(uint32_t) { return 0x13; }
PlatformDiskSet platform_disk_set_open() {
    posix_set_last_error(31);
    return PlatformDiskSet{0};
}
void platform_disk_set_close(PlatformDiskSet) {}
bool platform_disk_at(PlatformDiskSet, uint32_t, PlatformDisk*) { return false; }
bool platform_disk_instance_id(PlatformDiskSet, PlatformDisk*, char*, uint32_t) { return false; }
bool platform_disk_property_change(PlatformDiskSet, PlatformDisk*, uint32_t, uint32_t) { return false; }
bool platform_disk_install_flags(PlatformDiskSet, PlatformDisk*, uint32_t*) { return false; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char root[] = "/tmp/fuzz-device-display-XXXXXX";
    if (mkdtemp(root) != nullptr) setenv("RAVLIN_SIM_ROOT", root, 1);
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
    // One pass for the whole run: the HBA tool is asked at most once.
    host_ports_begin_pass();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHead = 4 + sizeof(DSM_DEVICE_RECORD) + sizeof(DSM_PREFERRED_PATH) + sizeof(DSM_DEVICE_STATS);
    static uint8_t head[kHead];
    memset(head, 0, sizeof head);
    memcpy(head, data, size < kHead ? size : kHead);
    g_replies = size > kHead ? data + kHead : nullptr;
    g_replies_left = size > kHead ? size - kHead : 0;

    uint32_t flags;
    static DSM_DEVICE_RECORD record;
    alignas(8) DSM_PREFERRED_PATH preferred;  // packed types: aligned as the program's own
    alignas(8) DSM_DEVICE_STATS stats;
    memcpy(&flags, head, 4);
    memcpy(&record, head + 4, sizeof record);
    memcpy(&preferred, head + 4 + sizeof record, sizeof preferred);
    memcpy(&stats, head + 4 + sizeof record + sizeof preferred, sizeof stats);

    reset_invocation_settings();
    g_settings.csv_only = (flags & 0x80000000u) != 0;
    print_device(&record, flags & 0x1F7Fu, &preferred);
    print_device_stats(&stats);
    check_device_document(&record, flags & 0x1F7Fu, &preferred);
    check_stats_document(&stats);
    return 0;
}
