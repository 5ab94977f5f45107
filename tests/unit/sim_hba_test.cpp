// The HBA section of the world: how a scenario's "hba" reads, writes back and is
// refused, and the snapshot the test HBA libraries are given.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sim_hba.h"
#include "sim_model.h"
#include "scenario_files.h"
#include "world_json.h"

namespace {

SimWorld g_world;
SimWorld g_back;
SimHbaSnapshot g_snapshot;

std::string sample_text() { return read_text_file(scenario_path("sample-san.json")); }

void load(const std::string& text) {
    char error[256] = "";
    ASSERT_TRUE(world_from_json(text.c_str(), &g_world, error, sizeof error)) << error;
}

void expect_round_trip() {
    char* json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    char error[256] = "";
    bool ok = world_from_json(json, &g_back, error, sizeof error);
    EXPECT_TRUE(ok) << error << "\n" << json;
    free(json);
    if (ok) {
        EXPECT_EQ(memcmp(&g_world, &g_back, sizeof g_world), 0);
    }
}

std::string rejection(const std::string& text) {
    char error[256] = "";
    if (world_from_json(text.c_str(), &g_world, error, sizeof error)) return "(accepted)";
    return error;
}

std::string hba(const std::string& inside) { return R"({"hba": )" + inside + "}"; }

std::string list_of(int n, const std::string& entry) {
    std::string s = "[";
    for (int i = 0; i < n; i++) s += (i == 0 ? "" : ",") + entry;
    return s + "]";
}

TEST(HbaJson, SampleSanHasOneAdapterWithAPortPerFcBus) {
    load(sample_text());
    const SimHba& h = g_world.hba;
    ASSERT_EQ(h.adapter_count, 1);
    const SimHbaAdapter& a = h.adapters[0];
    EXPECT_STREQ(a.name, "HBA-A");
    ASSERT_EQ(a.port_count, 2);
    EXPECT_EQ(a.reported_ports, -1);
    EXPECT_STREQ(a.ports[0].os_device_name, "\\\\.\\Scsi4:");
    EXPECT_STREQ(a.ports[1].os_device_name, "\\\\.\\Scsi5:");
    const uint8_t wwn[8] = {0x21, 0x01, 0x0A, 0x0B, 0x0C, 0x00, 0x1A, 0x00};
    EXPECT_EQ(memcmp(a.ports[1].port_wwn, wwn, 8), 0);
    EXPECT_EQ(a.ports[0].speed, 2u);
    EXPECT_EQ(a.ports[1].speed, 16u) << "8gbit";
    EXPECT_EQ(a.ports[1].discovered_count, 2);
    EXPECT_EQ(a.ports[1].discovered[0].fc_id, 0x020500u);
    EXPECT_EQ(a.ports[1].discovered[0].type, 5u);
    EXPECT_EQ(a.ports[1].discovered[0].state, 2u);
}

TEST(HbaJson, DefaultsWhenLeftOut) {
    load("{}");
    EXPECT_EQ(g_world.hba.version, SIM_HBA_DEFAULT_VERSION);
    EXPECT_EQ(g_world.hba.adapter_count, 0);
    load(hba(R"({"adapters": [{"ports": [{}]}]})"));
    EXPECT_EQ(g_world.hba.version, SIM_HBA_DEFAULT_VERSION);
    EXPECT_EQ(g_world.hba.fail, 0);
    EXPECT_EQ(g_world.hba.adapters[0].reported_ports, -1) << "the number listed";
    EXPECT_EQ(g_world.hba.adapters[0].ports[0].reported_discovered, -1);
    EXPECT_EQ(g_world.hba.adapters[0].ports[0].discovered_count, 0);
}

TEST(HbaJson, OddValuesFullTablesAndFailuresRoundTrip) {
    std::string discovered = R"({"wwn": "50a0b0c00140abcd", "fcid": 1280, "type": 7, "state": 9, "speed": 8,
                                 "fail": ["attributes"]})";
    std::string port = R"({"wwn": "21000A0B0C3A5B6C", "type": "nl_port", "state": "offline", "speed": "10gbit",
                           "os_device_name": ")" + std::string(255, 'o') + R"(", "number_of_discovered": 0,
                           "discovered": )" + list_of(SIM_HBA_MAX_DISCOVERED, discovered) + "}";
    std::string adapter = R"({"name": ")" + std::string(255, 'n') + R"(", "manufacturer": ")" +
                          std::string(63, 'm') + R"(", "fail": ["attributes", "name", "open"],
                          "number_of_ports": 9, "ports": )" + list_of(SIM_HBA_MAX_PORTS, port) + "}";
    load(hba(R"({"version": 0, "fail": ["load_library"], "adapters": )" + list_of(SIM_HBA_MAX_ADAPTERS, adapter) +
             "}"));
    const SimHbaAdapter& a = g_world.hba.adapters[7];
    EXPECT_EQ(g_world.hba.version, 0u);
    EXPECT_EQ(g_world.hba.fail, SIM_HBA_FAIL_LOAD_LIBRARY);
    EXPECT_EQ(a.fail, SIM_HBA_FAIL_NAME | SIM_HBA_FAIL_OPEN | SIM_HBA_FAIL_ATTRIBUTES);
    EXPECT_EQ(a.reported_ports, 9);
    EXPECT_EQ(a.ports[3].reported_discovered, 0) << "zero is a count, not the default";
    EXPECT_EQ(a.ports[3].type, 6u);
    EXPECT_EQ(a.ports[3].speed, 4u);
    const SimHbaDiscovered& d = a.ports[3].discovered[15];
    EXPECT_EQ(d.port_wwn[7], 0xCD);
    EXPECT_EQ(d.fc_id, 0x500u);
    EXPECT_EQ(d.type, 7u);
    EXPECT_EQ(d.state, 9u);
    EXPECT_EQ(d.speed, 8u);
    EXPECT_EQ(d.fail, SIM_HBA_FAIL_ATTRIBUTES);
    expect_round_trip();
}

TEST(HbaJson, RefusesWhatDoesNotFit) {
    EXPECT_EQ(rejection(hba(R"({"adapters": )" + list_of(9, "{}") + "}")), "hba.adapters: more than 8 adapters (9)");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{}, {"ports": )" + list_of(5, "{}") + "}]}")),
              "hba.adapters[1].ports: more than 4 ports (5)");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{}, {"discovered": )" + list_of(17, "{}") + "}]}]}")),
              "hba.adapters[0].ports[1].discovered: more than 16 discovered ports (17)");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"name": ")" + std::string(256, 'n') + R"("}]})")),
              "hba.adapters[0].name: text longer than 255 characters (256)");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"manufacturer": ")" + std::string(64, 'm') + R"("}]})")),
              "hba.adapters[0].manufacturer: text longer than 63 characters (64)");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"number_of_ports": -1}]})")),
              "hba.adapters[0].number_of_ports: -1 is out of range (0 to 2147483647)");
    EXPECT_EQ(rejection(hba(R"({"version": -2})")), "hba.version: -2 is out of range (0 to 4294967295)");
}

TEST(HbaJson, RefusesBadWwnsAndFailLists) {
    const char* bad[] = {R"("21000A0B0C3A5B6")", R"("21000A0B0C3A5B6C0")", R"("21:00:0A:0B:0C:3A:5B")",
                         R"("21000A0B0C3A5BXC")", "2100000000000000"};
    for (const char* wwn : bad)
        EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{"discovered": [{"node_wwn": )" + std::string(wwn) +
                                "}]}]}]}")),
                  "hba.adapters[0].ports[0].discovered[0].node_wwn: 16 hex digits such as \"2100000A0B0C0001\" expected")
            << wwn;
    EXPECT_EQ(rejection(hba(R"({"fail": ["open"]})")), "hba.fail: a word is not one of load_library");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"fail": ["name", "name"]}]})")),
              "hba.adapters[0].fail: \"name\" is listed twice");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{"fail": ["open"]}]}]})")),
              "hba.adapters[0].ports[0].fail: a word is not one of attributes");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"fail": "open"}]})")),
              "hba.adapters[0].fail: a list of name, open or attributes expected, found a text");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"fail": [2]}]})")),
              "hba.adapters[0].fail: a number is not one of name, open or attributes");
}

TEST(HbaJson, RefusesUnknownKeysAtEveryLevel) {
    EXPECT_EQ(rejection(hba("[]")), "hba: an object expected, found a list");
    EXPECT_EQ(rejection(hba(R"({"adapter": []})")), "hba.adapter: unknown key");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"wwn": "2000000A0B0C0001"}]})")), "hba.adapters[0].wwn: unknown key");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{"os": "x"}]}]})")), "hba.adapters[0].ports[0].os: unknown key");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{"discovered": [{"os_device_name": "x"}]}]}]})")),
              "hba.adapters[0].ports[0].discovered[0].os_device_name: unknown key");
    EXPECT_EQ(rejection(hba(R"({"adapters": [{"ports": [{"type": "f_port"}]}]})")).rfind(
                  "hba.adapters[0].ports[0].type: unknown word \"f_port\"", 0),
              0u);
}

TEST(HbaSnapshot, ResolvesCountsAndCopiesTheWorld) {
    load(hba(R"({"version": 3, "adapters": [
        {"name": "HBA-A", "model": "FC2", "node_wwn": "20000A0B0C000001", "fail": ["open"], "ports": [
          {"wwn": "21000A0B0C3A5B6C", "fcid": "0x010400", "speed": 8, "os_device_name": "\\\\.\\Scsi4:",
           "discovered": [{}, {"wwn": "50A0B0C00140ABCE", "type": 7, "fail": ["attributes"]}]},
          {"number_of_discovered": 5, "discovered": [{}]}]},
        {"name": "HBA-B", "number_of_ports": 0, "ports": [{}]}]})"));
    memset(&g_snapshot, 0xCC, sizeof g_snapshot);
    sim_hba_snapshot(&g_world, &g_snapshot);
    EXPECT_EQ(g_snapshot.version, 3u);
    EXPECT_EQ(g_snapshot.adapter_count, 2u);
    const SimHbaAdapterRecord& a = g_snapshot.adapters[0];
    EXPECT_STREQ(a.name, "HBA-A");
    EXPECT_STREQ(a.model, "FC2");
    EXPECT_EQ(a.manufacturer[0], '\0');
    EXPECT_EQ(a.node_wwn[7], 0x01);
    EXPECT_EQ(a.fail, SIM_HBA_FAIL_OPEN);
    EXPECT_EQ(a.port_count, 2u);
    EXPECT_EQ(a.reported_ports, 2u) << "the ports listed";
    const SimHbaPortRecord& p = a.ports[0].attributes;
    EXPECT_EQ(p.port_wwn[0], 0x21);
    EXPECT_EQ(p.fc_id, 0x010400u);
    EXPECT_EQ(p.speed, 8u);
    EXPECT_STREQ(p.os_device_name, "\\\\.\\Scsi4:");
    EXPECT_EQ(p.discovered_count, 2u);
    EXPECT_EQ(p.reported_discovered, 2u);
    EXPECT_EQ(a.ports[0].discovered[1].type, 7u);
    EXPECT_EQ(a.ports[0].discovered[1].fail, SIM_HBA_FAIL_ATTRIBUTES);
    EXPECT_EQ(a.ports[0].discovered[1].port_wwn[7], 0xCE);
    EXPECT_EQ(a.ports[1].attributes.discovered_count, 1u);
    EXPECT_EQ(a.ports[1].attributes.reported_discovered, 5u) << "a given count wins";
    EXPECT_EQ(g_snapshot.adapters[1].port_count, 1u);
    EXPECT_EQ(g_snapshot.adapters[1].reported_ports, 0u) << "a given zero wins";
    // Everything past the counts is zero, not what the record held before.
    SimHbaSnapshot* zero = static_cast<SimHbaSnapshot*>(calloc(1, sizeof(SimHbaSnapshot)));
    EXPECT_EQ(memcmp(&g_snapshot.adapters[2], &zero->adapters[2], sizeof g_snapshot.adapters[2]), 0);
    EXPECT_EQ(memcmp(&a.ports[2], &zero->adapters[0].ports[2], sizeof a.ports[2]), 0);
    EXPECT_EQ(memcmp(&a.ports[0].discovered[2], &zero->adapters[0].ports[0].discovered[2], sizeof(SimHbaPortRecord)), 0);
    free(zero);
}

TEST(HbaSnapshot, ClampsWhatAProgramSent) {
    // The test driver takes whole worlds from programs: counts and texts as they come.
    sim_world_clear(&g_world);
    g_world.hba.adapter_count = 1000;
    g_world.hba.adapters[0].port_count = -3;
    g_world.hba.adapters[1].port_count = 99;
    g_world.hba.adapters[1].reported_ports = -1;
    g_world.hba.adapters[1].ports[0].discovered_count = 17;
    g_world.hba.adapters[1].ports[0].reported_discovered = -1;
    memset(g_world.hba.adapters[1].name, 'n', sizeof g_world.hba.adapters[1].name);
    memset(g_world.hba.adapters[1].manufacturer, 'm', sizeof g_world.hba.adapters[1].manufacturer);
    memset(g_world.hba.adapters[1].ports[0].os_device_name, 'o', 256);
    sim_hba_snapshot(&g_world, &g_snapshot);
    EXPECT_EQ(g_snapshot.adapter_count, uint32_t(SIM_HBA_MAX_ADAPTERS));
    EXPECT_EQ(g_snapshot.adapters[0].port_count, 0u);
    const SimHbaAdapterRecord& a = g_snapshot.adapters[1];
    EXPECT_EQ(a.port_count, uint32_t(SIM_HBA_MAX_PORTS));
    EXPECT_EQ(a.reported_ports, uint32_t(SIM_HBA_MAX_PORTS));
    EXPECT_EQ(a.ports[0].attributes.discovered_count, uint32_t(SIM_HBA_MAX_DISCOVERED));
    EXPECT_EQ(strlen(a.name), sizeof a.name - 1);
    EXPECT_EQ(strlen(a.manufacturer), sizeof a.manufacturer - 1);
    EXPECT_EQ(strlen(a.ports[0].attributes.os_device_name), 255u);
}

TEST(HbaSnapshot, ClearedWorldIsALibraryWithoutAdapters) {
    sim_world_clear(&g_world);
    sim_hba_snapshot(&g_world, &g_snapshot);
    EXPECT_EQ(g_snapshot.version, SIM_HBA_DEFAULT_VERSION);
    EXPECT_EQ(g_snapshot.adapter_count, 0u);
    EXPECT_EQ(g_snapshot.fail, 0);
}

}  // namespace
