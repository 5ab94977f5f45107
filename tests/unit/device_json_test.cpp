// The device entry of the machine output, from hand-built records and findings: how a
// capacity failure is named, which paths are listed, and the storage port column.
#include <gtest/gtest.h>

#include <cJSON.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "device_json.h"
#include "invocation_settings.h"

namespace {

void append(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
}

// The device's members as a parsed object; the caller deletes it.
cJSON* device_entry(const DSM_DEVICE_RECORD* r, uint32_t flags, const DeviceFacts* found) {
    static std::string out;
    static JsonWriter w;
    out.clear();
    static const DSM_PREFERRED_PATH preferred{};
    static DeviceFacts facts;
    facts = *found;
    facts.record = r;
    facts.preferred = &preferred;
    facts.query_flags = flags;
    json_start(&w, JsonSink{append, &out});
    json_begin_object(&w, nullptr);
    write_device_members(&w, &facts);
    json_end_object(&w);
    EXPECT_TRUE(json_finish(&w));
    cJSON* d = cJSON_Parse(out.c_str());
    EXPECT_NE(d, nullptr) << out;
    return d;
}

const cJSON* member(const cJSON* object, const char* path) {
    std::string rest = path;
    const cJSON* at = object;
    while (at != nullptr && !rest.empty()) {
        size_t dot = rest.find('.');
        at = cJSON_GetObjectItemCaseSensitive(at, rest.substr(0, dot).c_str());
        rest = dot == std::string::npos ? "" : rest.substr(dot + 1);
    }
    return at;
}

std::string failure_of(const LunCapacity& capacity) {
    static DSM_DEVICE_RECORD r;
    static DeviceFacts found;
    static const HostPortTable kNoPorts = {};
    memset(&found, 0, sizeof found);
    found.capacity = capacity;
    found.ports = &kNoPorts;
    cJSON* d = device_entry(&r, 0, &found);
    const cJSON* failure = member(d, "capacity.failure");
    std::string text = cJSON_IsString(failure) ? failure->valuestring : cJSON_IsNull(failure) ? "null" : "?";
    if (text == "null" && !cJSON_IsNumber(member(d, "capacity.bytes"))) text = "null without bytes";
    cJSON_Delete(d);
    return text;
}

TEST(DeviceJson, CapacityFailuresAreNamedByWhatHappened) {
    LunCapacity c{};
    c.no_paths = true;
    EXPECT_EQ(failure_of(c), "no-path");
    c = LunCapacity{};
    EXPECT_EQ(failure_of(c), "no-open-path");  // nothing answered with a size
    c.failure = -1;
    EXPECT_EQ(failure_of(c), "request-failed");
    c.refused = true;
    c.status_count = 1;
    c.statuses[0] = 0x18;
    EXPECT_EQ(failure_of(c), "scsi-status");
    // A size found after an earlier path refused: the size, and the status still listed.
    c = LunCapacity{};
    c.last_lba = 20971519;
    c.block_length = 512;
    c.status_count = 1;
    c.statuses[0] = 0x18;
    EXPECT_EQ(failure_of(c), "null");
}

TEST(DeviceJson, PathsAsTheTableShowsThemAndTheirStoragePorts) {
    static DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    r.PathCount = 40;  // more than the record holds: clamped
    for (int i = 0; i < DSM_MAX_PATHS; i++) {
        r.Paths[i].State = i % 2 == 0 ? DSM_PATH_CLOSE : DSM_PATH_OPEN;
        r.Paths[i].ScsiAddress[2] = uint8_t(i);
    }
    static HostPortTable ports;
    memset(&ports, 0, sizeof ports);
    ports.count = 1;
    ports.port_ids[0] = 3;
    snprintf(ports.wwpns[0], sizeof ports.wwpns[0], "%s", "50A0B0C0001A0010");
    static DeviceFacts found;
    memset(&found, 0, sizeof found);
    found.ports = &ports;

    cJSON* d = device_entry(&r, QF_SCSI_ADDR, &found);
    const cJSON* paths = member(d, "paths");
    EXPECT_EQ(cJSON_GetArraySize(paths), 16);  // closed paths left out without -a
    EXPECT_EQ(member(d, "path_count")->valuedouble, 40);
    const cJSON* first = cJSON_GetArrayItem(paths, 0);
    EXPECT_EQ(member(first, "number")->valueint, 1);
    EXPECT_TRUE(cJSON_IsNull(member(first, "target_port_wwpn")));
    EXPECT_STREQ(member(cJSON_GetArrayItem(paths, 1), "target_port_wwpn")->valuestring, "50A0B0C0001A0010");
    cJSON_Delete(d);

    d = device_entry(&r, QF_ALL_PATHS, &found);
    paths = member(d, "paths");
    EXPECT_EQ(cJSON_GetArraySize(paths), DSM_MAX_PATHS);
    // Without -s there is no storage port member at all.
    EXPECT_EQ(member(cJSON_GetArrayItem(paths, 0), "target_port_wwpn"), nullptr);
    EXPECT_STREQ(member(cJSON_GetArrayItem(paths, 0), "state.tpgs")->valuestring, "Unavailable");
    cJSON_Delete(d);
}

}  // namespace
