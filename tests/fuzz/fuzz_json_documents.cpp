// Fuzzes the machine-output writers with driver data and without any I/O, so it
// runs fast enough for long runs: a device record with its findings (capacity,
// volume name, storage ports), a statistics record, an adapter table and a build
// number text. Every document must parse back (cJSON), and every driver text in it
// must decode to exactly the bytes of its field up to the first NUL.
// Input: flags (4), device record, preferred path, statistics, adapter table, then
// the findings: 1 flag byte, last LBA (8), block length (4), status count (1),
// 32 statuses, volume source (1), volume name (128), port count (1), 4 ports of
// 1 id byte and 24 WWPN bytes, adapter number (1), build length (1), build text (64).
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <cJSON.h>

#include <string>

#include "adapter_document.h"
#include "device_json.h"
#include "invocation_settings.h"
#include "json_checks.h"
#include "version_document.h"

namespace {

// cJSON's nodes come from an arena that is emptied before each input: the
// allocator's bookkeeping would otherwise cost more than the writers under test.
alignas(16) unsigned char g_arena[8 << 20];
size_t g_arena_used;

void* arena_alloc(size_t n) {
    n = (n + 15) & ~size_t(15);
    if (n > sizeof g_arena - g_arena_used) abort();
    void* p = g_arena + g_arena_used;
    g_arena_used += n;
    return p;
}

void arena_free(void*) {}

struct Input {
    const uint8_t* data;
    size_t left;
};

// The next `n` bytes of the input, zero once it is used up.
void take(Input* in, void* out, size_t n) {
    size_t k = in->left < n ? in->left : n;
    memcpy(out, in->data, k);
    memset(static_cast<uint8_t*>(out) + k, 0, n - k);
    in->data += k;
    in->left -= k;
}

uint8_t take_byte(Input* in) {
    uint8_t b;
    take(in, &b, 1);
    return b;
}




cJSON* parse(const std::string& out) {
    // One document, one line.
    if (out.empty() || out.back() != '\n' || out.find('\n') != out.size() - 1) abort();
    cJSON* parsed = cJSON_ParseWithLength(out.data(), out.size());
    if (parsed == nullptr) abort();
    return parsed;
}

void check_device(const DSM_DEVICE_RECORD* r, uint32_t flags, const DSM_PREFERRED_PATH* preferred,
                  const DeviceFacts* found) {
    static std::string out;
    static JsonWriter w;
    out.clear();
    json_start(&w, JsonSink{append_to_string, &out});
    json_begin_object(&w, nullptr);
    static DeviceFacts facts;
    facts = *found;
    facts.record = r;
    facts.preferred = preferred;
    facts.query_flags = flags;
    write_device_members(&w, &facts);
    json_end_object(&w);
    if (!json_finish(&w)) abort();
    cJSON* d = parse(out);
    check_text(d, "nt_name", r->DeviceName, sizeof r->DeviceName);
    check_text(d, "serial", r->SerialNumber, sizeof r->SerialNumber);
    check_text(d, "product_id", r->ProductId, sizeof r->ProductId);
    check_text(d, "lun_identifier", r->LunIdentifier, sizeof r->LunIdentifier);
    const cJSON* volume = cJSON_GetObjectItemCaseSensitive(d, "volume");
    if (found->volume_source != VdiskSource::None)
        check_text(volume, "name", found->volume, sizeof found->volume);
    const cJSON* paths = cJSON_GetObjectItemCaseSensitive(d, "paths");
    if (cJSON_GetArraySize(paths) > DSM_MAX_PATHS) abort();
    const cJSON* path;
    cJSON_ArrayForEach(path, paths) {
        const DSM_PATH_ENTRY* p = check_path_entry(path, r);
        const cJSON* wwpn = cJSON_GetObjectItemCaseSensitive(path, "target_port_wwpn");
        const char* expected = host_port_find(found->ports, p->ScsiAddress[2]);
        if ((flags & QF_SCSI_ADDR) != 0 && expected != nullptr) check_text(path, "target_port_wwpn", expected, kHostPortTextSize);
        else if ((flags & QF_SCSI_ADDR) != 0 && !cJSON_IsNull(wwpn)) abort();
    }
    cJSON_Delete(d);
}

void check_stats(const DSM_DEVICE_STATS* s) {
    static std::string out;
    static JsonWriter w;
    out.clear();
    json_start(&w, JsonSink{append_to_string, &out});
    json_begin_object(&w, nullptr);
    write_device_stats_members(&w, s);
    json_end_object(&w);
    if (!json_finish(&w)) abort();
    cJSON* d = parse(out);
    check_text(d, "product_id", s->ProductId, sizeof s->ProductId);
    cJSON_Delete(d);
}

void check_adapters(int32_t adapter, uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    static std::string out;
    out.clear();
    write_adapters_document(adapter, flags, table, JsonSink{append_to_string, &out});
    cJSON* d = parse(out);
    const cJSON* entry;
    cJSON_ArrayForEach(entry, cJSON_GetObjectItemCaseSensitive(d, "adapters")) {
        const cJSON* number = cJSON_GetObjectItemCaseSensitive(entry, "number");
        if (!cJSON_IsNumber(number) || number->valueint < 0 || number->valueint >= DSM_MAX_ADAPTERS) abort();
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[number->valueint];
        check_text(entry, "name", e->AdapterName, sizeof e->AdapterName);
    }
    cJSON_Delete(d);
}

void check_version(const char* text, int length, bool build_number) {
    static const VersionRow kRows[] = {{"DSM", "dsm.sys", true}, {"MPIO", "mpio.sys", false}};
    VersionFound found[2];
    memset(found, 0, sizeof found);
    found[0].text = text;
    found[0].text_length = length;
    found[1].failure = VersionFailure::Query;
    static std::string out;
    out.clear();
    write_version_document(kRows, found, 2, build_number, JsonSink{append_to_string, &out});
    cJSON* d = parse(out);
    const cJSON* component = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(d, "components"), 0);
    check_text(component, "build_number", text, size_t(length));
    cJSON_Delete(d);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    cJSON_Hooks hooks = {arena_alloc, arena_free};
    cJSON_InitHooks(&hooks);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_arena_used = 0;
    Input in{data, size};
    uint32_t flags;
    // The record types are packed: aligned, as the program's own records are.
    alignas(8) static DSM_DEVICE_RECORD record;
    alignas(8) DSM_PREFERRED_PATH preferred;
    alignas(8) DSM_DEVICE_STATS stats;
    alignas(8) static DSM_ADAPTER_TABLE table;
    take(&in, &flags, sizeof flags);
    take(&in, &record, sizeof record);
    take(&in, &preferred, sizeof preferred);
    take(&in, &stats, sizeof stats);
    take(&in, &table, sizeof table);

    static DeviceFacts found;
    static HostPortTable ports;
    memset(&found, 0, sizeof found);
    uint8_t capacity_flags = take_byte(&in);
    found.capacity.no_paths = (capacity_flags & 1) != 0;
    found.capacity.failure = (capacity_flags & 2) != 0 ? -1 : 0;
    found.capacity.refused = (capacity_flags & 4) != 0;
    take(&in, &found.capacity.last_lba, sizeof found.capacity.last_lba);
    take(&in, &found.capacity.block_length, sizeof found.capacity.block_length);
    found.capacity.status_count = take_byte(&in) % (DSM_MAX_PATHS + 1);
    take(&in, found.capacity.statuses, sizeof found.capacity.statuses);
    found.volume_source = VdiskSource(take_byte(&in) % 3);
    take(&in, found.volume, sizeof found.volume);
    found.volume[kVdiskNameSize - 1] = '\0';  // as find_vdisk_name leaves it
    memset(&ports, 0, sizeof ports);
    ports.count = take_byte(&in) % 5;
    for (int32_t i = 0; i < 4; i++) {
        ports.port_ids[i] = take_byte(&in);
        take(&in, ports.wwpns[i], 24);
    }
    found.ports = &ports;
    int32_t adapter = take_byte(&in) % DSM_MAX_ADAPTERS;
    int length = take_byte(&in) % 65;
    char build[64];
    take(&in, build, sizeof build);

    reset_invocation_settings();
    g_settings.csv_only = (flags & 0x80000000u) != 0;
    g_settings.all_adapters = (flags & 0x40000000u) != 0;
    check_device(&record, flags & 0x1F7Fu, &preferred, &found);
    check_stats(&stats);
    check_adapters(adapter, (flags >> 16) & 0xF, &table);
    check_version(build, length, (flags & 0x20000000u) != 0);
    return 0;
}
