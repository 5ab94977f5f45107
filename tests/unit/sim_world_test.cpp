// The scenario format: what a world reads back as, what it refuses, and the
// journal's text lines.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sim_model.h"
#include "scenario_files.h"
#include "world_json.h"

namespace {

// Worlds are 5 MB each: kept out of the stack.
SimWorld g_first;
SimWorld g_second;

// Parses `text` into g_first, failing the test with the reader's message.
void load(const std::string& text) {
    char error[256] = "";
    ASSERT_TRUE(world_from_json(text.c_str(), &g_first, error, sizeof error)) << error;
}

// Writes `world` and reads it back into g_second; the two must be byte-identical.
void expect_round_trip(const SimWorld* world) {
    char* json = world_to_json(world);
    ASSERT_NE(json, nullptr);
    char error[256] = "";
    bool ok = world_from_json(json, &g_second, error, sizeof error);
    EXPECT_TRUE(ok) << error << "\n" << json;
    free(json);
    if (ok) {
        EXPECT_EQ(memcmp(world, &g_second, sizeof *world), 0);
    }
}

// The reader's message for `text`, which it must refuse.
std::string rejection(const std::string& text) {
    char error[256] = "";
    if (world_from_json(text.c_str(), &g_first, error, sizeof error)) return "(accepted)";
    EXPECT_EQ(g_first.driver_loaded, 0u) << "a refused world is left cleared";
    return error;
}

std::string journal_text(const SimWorld* world) {
    char* text = journal_to_text(world);
    std::string s = text != nullptr ? text : "(null)";
    free(text);
    return s;
}

TEST(WorldJson, SampleSanReadsAsWritten) {
    std::string text = read_text_file(scenario_path("sample-san.json"));
    ASSERT_FALSE(text.empty());
    load(text);
    EXPECT_EQ(g_first.driver_loaded, 1u);
    EXPECT_EQ(g_first.device_slot_count, 16);
    EXPECT_EQ(g_first.device_count, 16);
    EXPECT_EQ(g_first.adapter_count, 4);
    EXPECT_EQ(g_first.adapters[3].active, 0);
    EXPECT_EQ(g_first.devices[5].slot_state, SIM_SLOT_REMOVED);
    EXPECT_EQ(g_first.devices[9].slot_state, SIM_SLOT_ABSENT);
    EXPECT_EQ(memcmp(g_first.devices[0].product_id, "QVR7000 ", 8), 0);
    EXPECT_EQ(g_first.devices[0].path_count, 4u);
    EXPECT_STREQ(g_first.devices[0].paths[1].disk_name, "Disk1 Part1");
    EXPECT_EQ(g_first.versions.dsm_present, 1);
    EXPECT_EQ(g_first.versions.mpio_file_version[2], 17763);
    expect_round_trip(&g_first);
}

TEST(WorldJson, NoDriverScenario) {
    load(read_text_file(scenario_path("no-driver.json")));
    EXPECT_EQ(g_first.driver_loaded, 0u);
    EXPECT_EQ(g_first.device_slot_count, 0);
}

TEST(WorldJson, WorldAfterRequestsRoundTrips) {
    load(read_text_file(scenario_path("sample-san.json")));
    // Enough requests to wrap the journal ring, with faults half used up.
    ASSERT_TRUE(world_from_json(R"({"devices": [{"device_name": "d"}],
        "faults": [{"request": "IOCTL_DSM_GET_COUNTS", "reply_bytes": 4, "times": 3},
                   {"request": "open", "error": 5}]})",
                                &g_first, nullptr, 0));
    static DSM_DEVICE_RECORD record;
    for (int i = 0; i < SIM_JOURNAL_SIZE + 37; i++) {
        memset(&record, 0, sizeof record);
        record.DeviceNumber = uint32_t(i % 3);
        record.Key = uint64_t(i);
        sim_answer(&g_first, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record);
    }
    DSM_COUNT_RECORD count = {};
    sim_answer(&g_first, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count);
    sim_open(&g_first);
    EXPECT_EQ(g_first.faults[0].remaining, 2);
    EXPECT_GT(g_first.journal.count, uint32_t(SIM_JOURNAL_SIZE));
    g_first.changed = 0;  // a run-time flag, not part of the world file
    expect_round_trip(&g_first);
}

TEST(WorldJson, RawValuesSurvive) {
    load(R"({
      "adapters": [{"name": "a", "bus_type": 1, "state": 9, "mode": 4, "active": 7}],
      "devices": [{"product_id": "TK705001", "policy": 10, "interface": 3, "scope": 7,
                   "reserved": 2, "csv": 255, "key": "0xFFFFFFFFFFFFFFFF", "preferred_path": 40,
                   "paths": [{"state": 7, "mode": 2, "non_optimized": 5, "scsi_address": "ff-0A-00-7f"}]}],
      "trace_mask": "0x02240000"})");
    const SimDevice& d = g_first.devices[0];
    EXPECT_EQ(g_first.adapters[0].bus_type, 1);
    EXPECT_EQ(g_first.adapters[0].state, 9u);
    EXPECT_EQ(d.policy, 10u);
    EXPECT_EQ(d.interface_type, 3);
    EXPECT_EQ(d.key, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(d.has_preferred_path, 1);
    EXPECT_EQ(d.preferred_path, 40u);
    EXPECT_EQ(d.paths[0].state, 7u);
    EXPECT_EQ(d.paths[0].non_optimized, 5u);
    const uint8_t address[4] = {0xFF, 0x0A, 0x00, 0x7F};
    EXPECT_EQ(memcmp(d.paths[0].scsi_address, address, 4), 0);
    EXPECT_EQ(g_first.trace_mask, DSM_TRACE_ALL);
    expect_round_trip(&g_first);
}

// The 64-bit fields at the edges of what a double holds: each value comes back
// exactly, through the text that is written and through a second reading of it.
TEST(WorldJson, SixtyFourBitValuesAreExact) {
    const uint64_t values[] = {0, (uint64_t(1) << 53) - 1, (uint64_t(1) << 53) + 1, UINT64_MAX};
    for (uint64_t value : values) {
        SCOPED_TRACE(value);
        std::string digits = std::to_string(value);
        load(R"({"devices": [{"key": ")" + digits + R"("}],
                 "capacity": {"devices": [{"slot": 0, "last_lba": ")" + digits + R"(", "block_length": 512}]}})");
        EXPECT_EQ(g_first.devices[0].key, value);
        EXPECT_EQ(g_first.query.capacity[0].last_lba, value);
        char* json = world_to_json(&g_first);
        ASSERT_NE(json, nullptr);
        // Below 2^53 the capacity stays a plain number, as scenarios have always had it.
        std::string expected = value < (uint64_t(1) << 53) ? "\"last_lba\": " + digits + ","
                                                            : "\"last_lba\": \"" + digits + "\",";
        EXPECT_NE(std::string(json).find(expected), std::string::npos) << json;
        free(json);
        expect_round_trip(&g_first);
        EXPECT_EQ(g_second.query.capacity[0].last_lba, value);
        EXPECT_EQ(g_second.devices[0].key, value);
    }
    // Exact JSON numbers keep loading; the hex form keeps working for capacities too.
    load(R"({"capacity": {"devices": [{"slot": 1, "last_lba": 9007199254740991},
                                      {"slot": 2, "last_lba": "0x20000000000001"}]}})");
    EXPECT_EQ(g_first.query.capacity[1].last_lba, 9007199254740991ull);
    EXPECT_EQ(g_first.query.capacity[2].last_lba, 9007199254740993ull);
}

TEST(WorldJson, RefusesSixtyFourBitValuesThatCannotBeExact) {
    // 2^53 + 1 as a JSON number reads as 2^53: refused rather than changed.
    EXPECT_EQ(rejection(R"({"capacity": {"devices": [{"slot": 0, "last_lba": 9007199254740993}]}})"),
              "capacity.devices[0].last_lba: 9007199254740992 is not exact as a JSON number (2^53 or more): "
              "write it as a text of digits");
    EXPECT_EQ(rejection(R"({"devices": [{"key": 1e300}]})"),
              "devices[0].key: 1.0000000000000001e+300 is not exact as a JSON number (2^53 or more): "
              "write it as a text of digits");
    EXPECT_EQ(rejection(R"({"devices": [{"key": "18446744073709551616"}]})"),
              "devices[0].key: \"18446744073709551616\" is neither a \"0x...\" text nor decimal digits up to "
              "18446744073709551615");
    EXPECT_EQ(rejection(R"({"devices": [{"key": "-1"}]})").rfind("devices[0].key: \"-1\" is neither", 0), 0u);
    EXPECT_EQ(rejection(R"({"devices": [{"key": ""}]})").rfind("devices[0].key: \"\" is neither", 0), 0u);
    EXPECT_EQ(rejection(R"({"devices": [{"key": "12 "}]})").rfind("devices[0].key: \"12 \" is neither", 0), 0u);
    EXPECT_EQ(rejection(R"({"devices": [{"key": -1}]})"), "devices[0].key: -1 is out of range (0 to 9007199254740991)");
}

TEST(WorldJson, TextsUpToTheirFieldsFit) {
    std::string name47(47, 'n');
    std::string serial63(63, 's');
    std::string lun67(67, 'l');
    load(R"({"models": [{"name": "TK70500"}], "devices": [{"device_name": ")" + name47 + R"(", "serial": ")" +
         serial63 + R"(", "lun_identifier": ")" + lun67 + R"(", "product_id": "QVR7000X",
         "paths": [{"adapter": ")" + name47 + R"("}]}]})");
    EXPECT_EQ(strlen(g_first.devices[0].device_name), 47u);
    EXPECT_EQ(strlen(g_first.devices[0].serial_number), 63u);
    EXPECT_EQ(strlen(g_first.devices[0].lun_identifier), 67u);
    EXPECT_EQ(strlen(g_first.devices[0].product_id), 8u);
    EXPECT_STREQ(g_first.models[0].name, "TK70500");
    expect_round_trip(&g_first);
}

TEST(WorldJson, TextsNeedingEscapesRoundTrip) {
    sim_world_clear(&g_first);
    g_first.device_count = 1;
    SimDevice& d = g_first.devices[0];
    d.slot_state = SIM_SLOT_PRESENT;
    snprintf(d.device_name, sizeof d.device_name, "%s", "a\"b\\c\td\x01" "e\x7f\xc3\xa9\xff");
    snprintf(d.lun_identifier, sizeof d.lun_identifier, "%s", "/\n\r");
    expect_round_trip(&g_first);
}

TEST(WorldJson, Defaults) {
    load(R"({"adapters": [{"name": "A"}, {"name": "B", "path_count": 9}],
             "devices": [{"device_name": "\\Device\\Harddisk4\\DR4",
                          "paths": [{"adapter": "A"}, {"adapter": "A", "state": "dead"},
                                    {"adapter": "B", "disk_name": "other"}]},
                         {"slot": 5}, {}, {"slot": 8, "state": "removed", "paths": [{"adapter": "A"}]}]})");
    EXPECT_EQ(g_first.driver_loaded, 1u) << "a scenario has a driver unless it says otherwise";
    EXPECT_EQ(g_first.device_count, 9);
    EXPECT_EQ(g_first.device_slot_count, 9);
    EXPECT_EQ(g_first.devices[5].slot_state, SIM_SLOT_PRESENT);
    EXPECT_EQ(g_first.devices[6].slot_state, SIM_SLOT_PRESENT) << "the slot after the previous entry";
    EXPECT_EQ(g_first.devices[1].slot_state, SIM_SLOT_ABSENT);
    const SimDevice& d = g_first.devices[0];
    EXPECT_EQ(d.paths[0].state, DSM_PATH_OPEN);
    EXPECT_STREQ(d.paths[0].disk_name, "Disk4 Part4") << "the driver names the own disk in its short form";
    EXPECT_STREQ(d.paths[2].disk_name, "other");
    EXPECT_EQ(d.has_preferred_path, 0);
    EXPECT_EQ(g_first.adapters[0].active, 1);
    // Counted over present devices only: the removed slot's path does not count.
    EXPECT_EQ(g_first.adapters[0].path_count, 2);
    EXPECT_EQ(g_first.adapters[0].active_path_count, 1);
    EXPECT_EQ(g_first.adapters[1].path_count, 9);
    EXPECT_EQ(g_first.adapters[1].active_path_count, 1);

    load(R"({"driver": {"device_slots": 20}, "devices": [{}], "faults": [{"request": "0x84C9CFFC"}]})");
    EXPECT_EQ(g_first.device_slot_count, 20);
    EXPECT_EQ(g_first.faults[0].code, 0x84C9CFFCu);
    EXPECT_EQ(g_first.faults[0].slot, -1);
    EXPECT_EQ(g_first.faults[0].reply_bytes, -1);
    EXPECT_EQ(g_first.faults[0].status, -1);
    EXPECT_EQ(g_first.faults[0].remaining, 0);
}

std::string paths_json(int n) {
    std::string s = R"({"devices": [{"paths": [)";
    for (int i = 0; i < n; i++) s += i == 0 ? "{}" : ",{}";
    return s + "]}]}";
}

std::string devices_json(int n) {
    std::string s = R"({"devices": [)";
    for (int i = 0; i < n; i++) s += i == 0 ? "{}" : ",{}";
    return s + "]}";
}

TEST(WorldJson, RefusesTablesOverflow) {
    load(paths_json(32));
    EXPECT_EQ(g_first.devices[0].path_count, 32u);
    EXPECT_EQ(rejection(paths_json(33)), "devices[0].paths: more than 32 paths (33)");
    load(devices_json(SIM_MAX_DEVICES));
    EXPECT_EQ(rejection(devices_json(SIM_MAX_DEVICES + 1)), "devices: more than " + std::to_string(SIM_MAX_DEVICES) +
                                                                " devices (" + std::to_string(SIM_MAX_DEVICES + 1) + ")");
    std::string adapters = R"({"adapters": [{})";
    for (int i = 0; i < 32; i++) adapters += ",{}";
    EXPECT_EQ(rejection(adapters + "]}"), "adapters: more than 32 adapters (33)");
    const std::string last = std::to_string(SIM_MAX_DEVICES - 1);
    EXPECT_EQ(rejection(R"({"devices": [{"slot": )" + last + R"(}, {}]})"),
              "devices[1].slot: slot " + std::to_string(SIM_MAX_DEVICES) + " is outside 0 to " + last);
    EXPECT_EQ(rejection(R"({"devices": [{"slot": 2}, {"slot": 2}]})"), "devices[1].slot: slot 2 is listed twice");
}

TEST(WorldJson, RefusesOverlongTexts) {
    std::string name48(48, 'n');
    EXPECT_EQ(rejection(R"({"devices": [{"device_name": ")" + name48 + R"("}]})"),
              "devices[0].device_name: text longer than 47 characters (48)");
    EXPECT_EQ(rejection(R"({"devices": [{"product_id": "QVR70000"}, {"product_id": "QVR700001"}]})"),
              "devices[1].product_id: text longer than 8 characters (9)");
    EXPECT_EQ(rejection(R"({"devices": [{"serial": ")" + std::string(64, 's') + R"("}]})"),
              "devices[0].serial: text longer than 63 characters (64)");
    EXPECT_EQ(rejection(R"({"devices": [{"paths": [{}, {"disk_name": ")" + name48 + R"("}]}]})"),
              "devices[0].paths[1].disk_name: text longer than 47 characters (48)");
    EXPECT_EQ(rejection(R"({"models": [{"name": "QVR70000"}]})"), "models[0].name: text longer than 7 characters (8)");
    EXPECT_EQ(rejection(R"({"versions": {"dsm_build_number": ")" + std::string(64, 'b') + R"("}})"),
              "versions.dsm_build_number: text longer than 63 characters (64)");
}

TEST(WorldJson, RefusesBadWordsAndValues) {
    EXPECT_EQ(rejection(R"({"adapters": [{"state": "broken"}]})"),
              "adapters[0].state: unknown word \"broken\" (normal, degraded or failed, or a number)");
    EXPECT_EQ(rejection(R"({"devices": [{"policy": "fastest"}]})").rfind("devices[0].policy: unknown word \"fastest\"", 0),
              0u);
    EXPECT_EQ(rejection(R"({"devices": [{"paths": [{"state": "up"}]}]})").rfind(
                  "devices[0].paths[0].state: unknown word \"up\"", 0),
              0u);
    EXPECT_EQ(rejection(R"({"devices": [{"state": "gone"}]})").rfind("devices[0].state: unknown word", 0), 0u);
    EXPECT_EQ(rejection(R"({"devices": [{"interface": 256}]})"), "devices[0].interface: 256 is out of range (0 to 255)");
    EXPECT_EQ(rejection(R"({"adapters": [{"error_count": 1.5}]})"), "adapters[0].error_count: 1.5 is not a whole number");
    EXPECT_EQ(rejection(R"({"adapters": [{"select_count": -1}]})"),
              "adapters[0].select_count: -1 is out of range (0 to 4294967295)");
    EXPECT_EQ(rejection(R"({"devices": [{"key": "0x10000000000000000"}]})"),
              "devices[0].key: \"0x10000000000000000\" is not a \"0x...\" text of up to 16 digits");
    EXPECT_EQ(rejection(R"({"devices": [{"io_counters": [1, 2, 3, 4]}]})"),
              "devices[0].io_counters: a list of 5 numbers expected");
    EXPECT_EQ(rejection(R"({"versions": {"mpio_file_version": "10.0.70000.1"}})"),
              "versions.mpio_file_version: a version such as \"6.3.9600.16384\" expected");
    EXPECT_EQ(rejection(R"({"faults": [{"request": "IOCTL_DSM_GET_NOTHING"}]})"),
              "faults[0].request: unknown request \"IOCTL_DSM_GET_NOTHING\"");
    EXPECT_EQ(rejection(R"({"faults": [{"error": 5}]})"), "faults[0].request: missing");
}

TEST(WorldJson, RefusesBadScsiAddresses) {
    const char* bad[] = {"01-00-02", "01-00-02-03-04", "01:00:02:03", "1-00-02-033", "01-00-0g-03", "010002030"};
    for (const char* address : bad) {
        std::string text = std::string(R"({"devices": [{"paths": [{"scsi_address": ")") + address + R"("}]}]})";
        EXPECT_EQ(rejection(text), "devices[0].paths[0].scsi_address: four hex bytes such as \"01-00-02-03\" expected")
            << address;
    }
    EXPECT_EQ(rejection(R"({"devices": [{"paths": [{"scsi_address": 16909060}]}]})"),
              "devices[0].paths[0].scsi_address: four hex bytes such as \"01-00-02-03\" expected");
}

TEST(WorldJson, RefusesWrongShapes) {
    EXPECT_EQ(rejection("[]"), "the world must be a JSON object");
    EXPECT_EQ(rejection("{\n  \"devices\": [\n    {\"slot\": 1,}\n  ]\n}"), "not valid JSON at line 3, column 17");
    EXPECT_EQ(rejection(R"({"device": []})"), "device: unknown key");
    EXPECT_EQ(rejection(R"({"devices": [{"paths": [{"adaptor": "A"}]}]})"), "devices[0].paths[0].adaptor: unknown key");
    EXPECT_EQ(rejection(R"({"devices": {}})"), "devices: a list expected, found an object");
    EXPECT_EQ(rejection(R"({"devices": [[]]})"), "devices[0]: an object expected, found a list");
    EXPECT_EQ(rejection(R"({"devices": [{"device_name": 5}]})"), "devices[0].device_name: a text expected, found a number");
    EXPECT_EQ(rejection(R"({"driver": {"loaded": "yes"}})"),
              "driver.loaded: \"yes\" is not a number (a number or a \"0x...\" text)");
    EXPECT_EQ(rejection(R"({"journal": {"count": 3, "entries": [{"request": "open"}]}})"),
              "journal.entries: count 3 keeps 3 entries, but 1 are listed");
    EXPECT_EQ(rejection(R"({"journal": {"entries": [{"head": "abc"}]}})"),
              "journal.entries[0].head: an even number of hex digits (at most 96 bytes) expected");
}

TEST(WorldJson, ErrorTextIsBounded) {
    char error[12];
    memset(error, 'x', sizeof error);
    EXPECT_FALSE(world_from_json(R"({"devices": [{"policy": "fastest"}]})", &g_first, error, sizeof error));
    EXPECT_EQ(strlen(error), sizeof error - 1);
    EXPECT_FALSE(world_from_json("nope", &g_first, nullptr, 0));
}

TEST(RequestWords, NamesAndHexCodes) {
    uint32_t code = 0;
    EXPECT_TRUE(world_request_code("IOCTL_DSM_GET_ADAPTER_INFO", &code));
    EXPECT_EQ(code, IOCTL_DSM_GET_ADAPTER_INFO);
    EXPECT_TRUE(world_request_code("close", &code));
    EXPECT_EQ(code, SIM_CODE_CLOSE);
    EXPECT_TRUE(world_request_code("0x84c9c008", &code));
    EXPECT_EQ(code, IOCTL_DSM_GET_ADAPTER_INFO);
    EXPECT_FALSE(world_request_code("84C9C008", &code)) << "a code carries its 0x";
    EXPECT_FALSE(world_request_code("0x", &code));
    EXPECT_FALSE(world_request_code("0x123456789", &code));
    EXPECT_FALSE(world_request_code("dead", &code));
}

TEST(JournalText, OneLinePerRequestOldestFirst) {
    ASSERT_TRUE(world_from_json(R"({"devices": [{}, {}, {}, {}], "faults": [{"request": "close", "error": 31}]})",
                                &g_first, nullptr, 0));
    sim_open(&g_first);
    DSM_COUNT_RECORD count = {};
    sim_answer(&g_first, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count);
    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    record.DeviceNumber = 3;
    sim_answer(&g_first, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record);
    // A nonzero byte beyond the kept head shows as the '+' marker.
    memset(&record, 0, sizeof record);
    record.DeviceNumber = 0x0201;
    record.Paths[3].State = 1;
    sim_answer(&g_first, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record);
    uint8_t odd[3] = {0xAB, 0, 0};
    sim_answer(&g_first, 0x84C9CFFCu, odd, sizeof odd, odd, 0);
    sim_close(&g_first);
    EXPECT_EQ(journal_text(&g_first),
              "open -> error=0\n"
              "IOCTL_DSM_GET_COUNTS in=8 out=8 data= -> error=0 returned=8\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data=0000000003 -> error=0 returned=4344\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data=000000000102+ -> error=2 returned=0\n"
              "0x84C9CFFC in=3 out=0 data=ab -> error=1 returned=0\n"
              "close -> error=31\n");
}

TEST(JournalText, HeadKeepsItsLastNonzeroByte) {
    sim_world_clear(&g_first);
    g_first.driver_loaded = 1;
    uint8_t bytes[SIM_JOURNAL_HEAD] = {};
    bytes[SIM_JOURNAL_HEAD - 1] = 0x0F;
    sim_answer(&g_first, IOCTL_DSM_SEND_RTPG, bytes, sizeof bytes, bytes, sizeof bytes);
    std::string expected = "IOCTL_DSM_SEND_RTPG in=96 out=96 data=" + std::string(2 * (SIM_JOURNAL_HEAD - 1), '0') +
                           "0f -> error=87 returned=0\n";
    EXPECT_EQ(journal_text(&g_first), expected);

    sim_world_clear(&g_first);
    EXPECT_EQ(journal_text(&g_first), "");
}

TEST(JournalText, JsonFormReadsBackIntoTheWorld) {
    ASSERT_TRUE(world_from_json(R"({"devices": [{}]})", &g_first, nullptr, 0));
    sim_open(&g_first);
    DSM_COUNT_RECORD count = {};
    sim_answer(&g_first, IOCTL_DSM_GET_FC_COUNT, &count, sizeof count, &count, sizeof count);
    char* journal = journal_to_json(&g_first);
    ASSERT_NE(journal, nullptr);
    std::string text = std::string(R"({"devices": [{}], "journal": )") + journal + "}";
    free(journal);
    char error[256] = "";
    ASSERT_TRUE(world_from_json(text.c_str(), &g_second, error, sizeof error)) << error;
    g_first.changed = 0;
    EXPECT_EQ(memcmp(&g_first.journal, &g_second.journal, sizeof g_first.journal), 0);
}

}  // namespace
