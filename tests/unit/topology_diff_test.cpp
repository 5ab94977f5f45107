// query diff's pure parts: the bounded reader of a saved listing and the
// comparison of two topologies.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "saved_listing.h"
#include "topology_diff.h"

namespace {

std::string path_json(const char* adapter, int target, int state = 1, int mode = 0, bool nonopt = false,
                      const char* wwpn = nullptr) {
    std::string p = "{\"number\":0,\"adapter\":\"" + std::string(adapter) +
                    "\",\"disk\":\"d\",\"scsi_address\":{\"port\":4,\"bus\":0,\"target\":" + std::to_string(target) +
                    ",\"lun\":0},\"state\":{\"number\":" + std::to_string(state) +
                    "},\"mode\":{\"number\":" + std::to_string(mode) + "},\"non_optimized\":" +
                    (nonopt ? "true" : "false") + ",\"select_count\":5,\"error_count\":1";
    if (wwpn != nullptr) p += std::string(",\"target_port_wwpn\":") + wwpn;
    return p + "}";
}

std::string device_json(int number, const std::string& serial, const std::vector<std::string>& paths,
                        int path_count = -1, const char* extra = "\"capacity\":{\"bytes\":1024},\"volume\":{\"name\":\"v\"}") {
    std::string d = "{\"number\":" + std::to_string(number) + ",\"status\":\"present\",\"serial\":\"" + serial +
                    "\",\"policy\":{\"number\":1},\"reserved\":false,\"preferred_path\":null," + extra +
                    ",\"path_count\":" + std::to_string(path_count < 0 ? int(paths.size()) : path_count) +
                    ",\"paths\":[";
    for (size_t i = 0; i < paths.size(); i++) d += (i ? "," : "") + paths[i];
    return d + "]}";
}

std::string listing(const std::vector<std::string>& devices) {
    std::string doc =
        "{\"schema\":\"ravlin/1\",\"kind\":\"device-listing\",\"pass\":1,\"total\":{\"of\":\"devices\",\"count\":9},"
        "\"devices\":[";
    for (size_t i = 0; i < devices.size(); i++) doc += (i ? "," : "") + devices[i];
    return doc + "],\"notes\":[]}";
}

std::string adapter_json(int number, const std::string& name, int state = 0, int mode = 0, bool active = true) {
    return "{\"number\":" + std::to_string(number) + ",\"name\":\"" + name +
           "\",\"bus_type\":{\"number\":6,\"name\":\"FC\"},\"state\":{\"number\":" + std::to_string(state) +
           ",\"name\":\"NORMAL\"},\"mode\":{\"number\":" + std::to_string(mode) + ",\"name\":\"ACTIVE\"},\"active\":" +
           (active ? "true" : "false") + "}";
}

// A listing that carries the adapter table after its notes, as ravlin writes it.
std::string with_adapters(const std::string& doc, const std::vector<std::string>& adapters) {
    std::string out = doc.substr(0, doc.size() - 1) + ",\"adapters\":[";
    for (size_t i = 0; i < adapters.size(); i++) out += (i ? "," : "") + adapters[i];
    return out + "]}";
}

// The reader's verdict: "" when it read the text, else its error line.
std::string read(const std::string& text, Topology* t) {
    char error[256] = "";
    if (read_saved_listing(text.data(), text.size(), t, error, sizeof error)) return "";
    return error;
}

std::string read_error(const std::string& text) {
    Topology t;
    return read(text, &t);
}

std::vector<std::string> diff_lines(const std::string& before, const std::string& after) {
    Topology a, b;
    EXPECT_EQ(read(before, &a), "");
    EXPECT_EQ(read(after, &b), "");
    std::vector<Difference> diffs;
    compare_topologies(a, b, &diffs);
    std::vector<std::string> lines;
    char line[512];
    for (const Difference& d : diffs) {
        format_difference(a, b, d, line, sizeof line);
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(SavedListing, ReadsDevicesAndSkipsSlotsWithoutOne) {
    Topology t;
    std::string doc = listing({device_json(0, "S\\u00e9", {path_json("FC A", 1), path_json("FC B", 2, 2, 0, true, "\"50A0\"")}),
                               "{\"number\":1,\"status\":\"removed\",\"message\":\"Device #1 is removed.\"}"});
    ASSERT_EQ(read(doc, &t), "");
    ASSERT_EQ(t.devices.size(), 1u);
    EXPECT_STREQ(t.devices[0].serial, "S\xe9");  // U+00E9 stands for the byte 0xE9
    EXPECT_TRUE(t.devices[0].has_capacity);
    EXPECT_EQ(t.devices[0].capacity, 1024u);
    EXPECT_STREQ(t.devices[0].volume, "v");
    ASSERT_EQ(t.paths.size(), 2u);
    EXPECT_EQ(t.paths[1].state, 2u);
    EXPECT_TRUE(t.paths[1].non_optimized);
    EXPECT_TRUE(t.with_ports);
    EXPECT_STREQ(t.paths[1].wwpn, "50A0");
}

TEST(SavedListing, RefusesWhatIsNotASavedListing) {
    EXPECT_EQ(read_error(""), "the file is empty");
    EXPECT_EQ(read_error("[]"), "not a JSON object: not a saved device listing");
    EXPECT_EQ(read_error("{\"kind\":\"device-listing\"}"), "no \"schema\" text: not a saved device listing");
    EXPECT_EQ(read_error("{\"schema\":\"ravlin/9\",\"kind\":\"device-listing\",\"devices\":[]}"),
              "unknown schema version \"ravlin/9\" (this ravlin reads ravlin/1)");
    EXPECT_EQ(read_error("{\"schema\":\"ravlin/1\",\"kind\":\"health\",\"devices\":[]}"),
              "a document of another kind, not a saved device listing (ravlin query device -json)");
    EXPECT_EQ(read_error("{\"schema\":\"ravlin/1\",\"kind\":\"device-listing\",\"total\":{\"of\":\"fc\"},\"devices\":{}}"),
              "\"devices\" is not an array");
    // One device, a range or a model: the listing does not say what the SAN holds.
    EXPECT_EQ(read_error("{\"schema\":\"ravlin/1\",\"kind\":\"device-listing\",\"devices\":[]}"),
              "a listing of one device, a range or a model (-d): save the listing of all devices");
    // Two documents (a listing saved with -i) are not one listing.
    std::string one = listing({});
    EXPECT_EQ(read_error(one + "\n" + one),
              "more than one JSON document (at byte " + std::to_string(one.size() + 1) + "): save one pass only");
    EXPECT_EQ(read_error(one + "\r\n\t "), "");
}

TEST(SavedListing, ScopeAndTargetPortsComeFromTheDocument) {
    std::string fc = "{\"schema\":\"ravlin/1\",\"kind\":\"device-listing\",\"total\":{\"of\":\"fc\",\"count\":1},"
                     "\"devices\":[" + device_json(0, "S", {path_json("FC A", 1)}) + "]}";
    Topology t;
    ASSERT_EQ(read(fc, &t), "");
    EXPECT_EQ(t.scope, TopoScope::Fc);
    EXPECT_FALSE(t.with_ports);  // no path carries a target port
    Topology all;
    ASSERT_EQ(read(listing({}), &all), "");
    EXPECT_EQ(all.scope, TopoScope::All);

    DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    r.InterfaceType = DSM_IF_ISCSI;
    EXPECT_FALSE(topology_scope_takes(TopoScope::Fc, &r));
    EXPECT_TRUE(topology_scope_takes(TopoScope::Iscsi, &r));
    r.IsCsv = 1;  // a CSV disk without a key is not listed as one
    EXPECT_FALSE(topology_scope_takes(TopoScope::Csv, &r));
    r.Key = 7;
    EXPECT_TRUE(topology_scope_takes(TopoScope::Csv, &r));
}

TEST(SavedListing, NamesThePlaceOfAWrongMember) {
    EXPECT_EQ(read_error(listing({"3"})), "devices[0]: not an object");
    EXPECT_EQ(read_error(listing({device_json(0, "S", {path_json("FC A", 300)})})),
              "devices[0].paths[0].scsi_address.target: not an integer from 0 to 255");
    EXPECT_EQ(read_error(listing({device_json(0, "S", {"[]"})})), "devices[0].paths[0]: not an object");
    EXPECT_EQ(read_error(listing({device_json(0, "S", {}, -1, "\"capacity\":{\"bytes\":1.5},\"volume\":{\"name\":null}")})),
              "devices[0].capacity.bytes: not an integer from 0 to 18446744073709551616");
    EXPECT_EQ(read_error(listing({device_json(0, "S", {}, -1, "\"volume\":{\"name\":null}")})),
              "devices[0].capacity: missing");
    EXPECT_EQ(read_error(listing({device_json(0, std::string(64, 'x'), {})})),
              "devices[0].serial: longer than 63 bytes");
    std::vector<std::string> paths(33, path_json("FC A", 1));
    EXPECT_EQ(read_error(listing({device_json(0, "S", paths)})), "devices[0].paths: more than 32 paths");
    EXPECT_EQ(read_error(listing({device_json(0, "S", {}), device_json(4, "S", {})})),
              "devices[1].serial: serial \"S\" names two devices");
}

TEST(SavedListing, BoundsDepthAndSize) {
    EXPECT_EQ(json_nesting_depth("[[\"[[[[\"]]", 10, 100), 2);  // brackets inside strings do not count
    EXPECT_EQ(json_nesting_depth("[\"\\\"[\"]", 7, 100), 1);     // nor after an escaped quote
    std::string deep = std::string(5000, '[') + std::string(5000, ']');
    EXPECT_EQ(json_nesting_depth(deep.data(), deep.size(), 32), 33);  // stops counting past the limit
    EXPECT_EQ(read_error(deep), "nested deeper than 32 levels: not a saved device listing");
    EXPECT_EQ(read_error(std::string(kSavedListingMaxBytes + 1, ' ')),
              "larger than 64 MB, the most a saved listing may be");
}

TEST(SavedListing, ManyTinyValuesRunOutOfTheParseBudgetNotOfMemory) {
    // 60 MB of one-digit numbers: far more tree than the budget allows.
    std::string text = "[";
    text.reserve(60u << 20);
    while (text.size() < (60u << 20)) text += "0,";
    text += "0]";
    EXPECT_EQ(read_error(text), "too large to hold in memory");
    // The default allocator is back: a small listing still reads.
    EXPECT_EQ(read_error(listing({})), "");
}

TEST(SavedText, BytesOfTheSavedForm) {
    char out[8];
    EXPECT_EQ(bytes_from_saved_text("a\xc3\xa9\xc2\x80", out, sizeof out), 3u);
    EXPECT_STREQ(out, "a\xe9\x80");
    // Other UTF-8 and stray bytes are kept as they are.
    EXPECT_EQ(bytes_from_saved_text("\xe2\x82\xac\xc3", out, sizeof out), 4u);
    EXPECT_STREQ(out, "\xe2\x82\xac\xc3");
    EXPECT_EQ(bytes_from_saved_text("abcdefghij", out, sizeof out), 10u);
    EXPECT_STREQ(out, "abcdefg");
}

TEST(TopologyDiff, SameSanRenumberedHasNoDifference) {
    std::string before = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC B", 1)}),
                                  device_json(1, "S1", {path_json("FC A", 2)})});
    std::string after = listing({device_json(5, "S1", {path_json("FC A", 2)}),
                                 device_json(7, "S0", {path_json("FC B", 1), path_json("FC A", 1)})});
    EXPECT_EQ(diff_lines(before, after), Lines{});
}

TEST(TopologyDiff, DevicesAndPathsGoneAndNew) {
    std::string before = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC B", 1)}),
                                  device_json(1, "S1", {path_json("FC A", 2)})});
    std::string after = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC B", 9)}),
                                 device_json(2, "S2", {path_json("FC C", 3)})});
    EXPECT_EQ(diff_lines(before, after), (Lines{
                                             "DEV# 0 (serial S0): path FC B 04-00-01-00 gone",
                                             "DEV# 0 (serial S0): path FC B 04-00-09-00 new",
                                             "DEV# 1 (serial S1): device gone",
                                             "DEV# 2 (serial S2): new device",
                                             "ADAPTER FC C: new",
                                         }));
}

TEST(TopologyDiff, RepeatedPathKeysMatchInOrder) {
    std::string before = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC A", 1, 2)})});
    std::string after = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC A", 1)})});
    EXPECT_EQ(diff_lines(before, after), Lines{"DEV# 0 (serial S0): path FC A 04-00-01-00 state DEAD -> OPEN"});
}

TEST(TopologyDiff, ClosedPathsCountOnlyWhereTheSavedListingShowedThem) {
    // Saved without -a: one closed path was left out (path_count 2, one listed).
    std::string before = listing({device_json(0, "S0", {path_json("FC A", 1)}, 2)});
    std::string after_closed = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC Z", 2, 0)})});
    EXPECT_EQ(diff_lines(before, after_closed), Lines{});
    std::string after_open = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC Z", 2)})});
    EXPECT_EQ(diff_lines(before, after_open),
              (Lines{"DEV# 0 (serial S0): path FC Z 04-00-02-00 new", "ADAPTER FC Z: new"}));
    // Saved with every path: a closed path that appears is new.
    std::string all = listing({device_json(0, "S0", {path_json("FC A", 1)})});
    EXPECT_EQ(diff_lines(all, after_closed),
              (Lines{"DEV# 0 (serial S0): path FC Z 04-00-02-00 new", "ADAPTER FC Z: new"}));
}

TEST(TopologyDiff, TargetPortsOnlyWhenBothSidesHaveThem) {
    std::string before = listing({device_json(0, "S0", {path_json("FC A", 1, 1, 0, false, "\"50A1\"")})});
    std::string moved = listing({device_json(0, "S0", {path_json("FC A", 1, 1, 0, false, "null")})});
    EXPECT_EQ(diff_lines(before, moved), Lines{"DEV# 0 (serial S0): path FC A 04-00-01-00 target port 50A1 -> unknown"});
    std::string without = listing({device_json(0, "S0", {path_json("FC A", 1)})});
    EXPECT_EQ(diff_lines(before, without), Lines{});
}

TEST(TopologyDiff, CapacitiesBeyondWhatADoubleHoldsCompareAsSaved) {
    // 2^53 + 1 bytes saved reads back as 2^53: the same LUN is no change, a LUN 1024
    // bytes larger is one, and below 2^53 one byte counts.
    std::string saved = listing({device_json(0, "S0", {}, -1, "\"capacity\":{\"bytes\":9007199254740993},\"volume\":{\"name\":\"v\"}")});
    Topology before, live;
    ASSERT_EQ(read(saved, &before), "");
    ASSERT_EQ(read(saved, &live), "");
    live.devices[0].capacity = 9007199254740993ull;  // as the live capacity read gives it, exactly
    std::vector<Difference> diffs;
    compare_topologies(before, live, &diffs);
    EXPECT_TRUE(diffs.empty());
    live.devices[0].capacity = 9007199254740993ull + 1024;
    compare_topologies(before, live, &diffs);
    EXPECT_EQ(diffs.size(), 1u);
    diffs.clear();
    before.devices[0].capacity = 9007199254740991ull;
    live.devices[0].capacity = 9007199254740990ull;
    compare_topologies(before, live, &diffs);
    EXPECT_EQ(diffs.size(), 1u);
}

TEST(TopologyDiff, CapacityAndVolumeComparedOnlyWhenBothWereRead) {
    std::string before = listing({device_json(0, "S0", {}, -1, "\"capacity\":{\"bytes\":1024},\"volume\":{\"name\":\"v1\"}")});
    std::string after = listing({device_json(0, "S0", {}, -1, "\"capacity\":{\"bytes\":null},\"volume\":{\"name\":\"v|2\"}")});
    EXPECT_EQ(diff_lines(before, after), (Lines{"DEV# 0 (serial S0): capacity 1024 bytes -> unknown",
                                                "DEV# 0 (serial S0): volume name v1 -> v?2"}));
    Topology saved, live;
    ASSERT_EQ(read(before, &saved), "");
    DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    strcpy(r.SerialNumber, "S0");
    r.Policy = 1;
    DSM_PREFERRED_PATH none{};
    topology_add_record(&live, &r, &none, nullptr);  // the live record carries neither
    std::vector<Difference> diffs;
    compare_topologies(saved, live, &diffs);
    EXPECT_TRUE(diffs.empty());
}

TEST(TopologyDiff, LiveRecordsBecomeTheSameTopologyAsTheirListing) {
    static HostPortTable ports;
    memset(&ports, 0, sizeof ports);
    ports.count = 1;
    ports.port_ids[0] = 1;
    strcpy(ports.wwpns[0], "50A1");
    DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    r.DeviceNumber = 3;
    memset(r.SerialNumber, 'Q', sizeof r.SerialNumber);  // unterminated, as a driver may send it
    r.Policy = 1;
    r.PathCount = 99;  // more than the table: 32 entries are read
    DSM_PREFERRED_PATH preferred{3, 1, 1, {}};
    Topology live;
    topology_add_record(&live, &r, &preferred, &ports);
    ASSERT_EQ(live.devices.size(), 1u);
    EXPECT_EQ(strlen(live.devices[0].serial), 63u);
    EXPECT_EQ(live.devices[0].path_count, 32);
    EXPECT_TRUE(live.devices[0].has_preferred);
    EXPECT_TRUE(live.paths[0].has_wwpn);
    EXPECT_FALSE(live.paths[0].wwpn_known);  // port id 0 is not in the table
}

TEST(SavedListing, ReadsTheAdapterTableWhenThereIsOne) {
    Topology old_form, t;
    ASSERT_EQ(read(listing({}), &old_form), "");
    EXPECT_FALSE(old_form.has_adapters);  // saved before listings carried it
    ASSERT_EQ(read(with_adapters(listing({}), {adapter_json(0, "FC \\u00e9"), adapter_json(1, "iSCSI", 1, 1, false)}), &t),
              "");
    ASSERT_TRUE(t.has_adapters);
    ASSERT_EQ(t.adapters.size(), 2u);
    EXPECT_STREQ(t.adapters[0].name, "FC \xe9");
    EXPECT_EQ(t.adapters[0].bus_type, 6u);
    EXPECT_EQ(t.adapters[1].number, 1);
    EXPECT_EQ(t.adapters[1].state, 1u);
    EXPECT_EQ(t.adapters[1].mode, 1u);
    EXPECT_FALSE(t.adapters[1].active);
    Topology none;
    ASSERT_EQ(read(with_adapters(listing({}), {}), &none), "");
    EXPECT_TRUE(none.has_adapters);  // an empty table is a table: every live adapter is new
}

TEST(SavedListing, NamesTheWrongMemberOfAnAdapter) {
    std::string devices = listing({device_json(0, "S", {})});
    EXPECT_EQ(read_error(devices.substr(0, devices.size() - 1) + ",\"adapters\":{}}"), "\"adapters\" is not an array");
    EXPECT_EQ(read_error(with_adapters(devices, {"7"})), "adapters[0]: not an object");
    EXPECT_EQ(read_error(with_adapters(devices, {adapter_json(0, "A"), adapter_json(32, "B")})),
              "adapters[1].number: not an integer from 0 to 31");
    EXPECT_EQ(read_error(with_adapters(devices, {adapter_json(0, std::string(49, 'n'))})),
              "adapters[0].name: longer than 48 bytes");
    std::string no_active = adapter_json(0, "A");
    no_active = no_active.substr(0, no_active.find(",\"active\"")) + "}";
    EXPECT_EQ(read_error(with_adapters(devices, {no_active})), "adapters[0].active: missing");
    std::string bad_state = adapter_json(0, "A");
    const std::string coded = "{\"number\":0,\"name\":\"NORMAL\"}";
    bad_state.replace(bad_state.find(coded), coded.size(), "\"NORMAL\"");
    EXPECT_EQ(read_error(with_adapters(devices, {bad_state})), "adapters[0].state: not an object");
    std::vector<std::string> many(33, adapter_json(0, "A"));
    EXPECT_EQ(read_error(with_adapters(devices, many)), "\"adapters\" holds more than 32 adapters");
}

TEST(TopologyDiff, AdapterTablesMatchByName) {
    std::string devices = listing({device_json(0, "S0", {path_json("FC A", 1), path_json("FC B", 1)})});
    std::string before = with_adapters(devices, {adapter_json(0, "FC A"), adapter_json(1, "FC B"), adapter_json(2, "FC C")});
    // FC B failed and went offline, FC C left the table, FC D came; the numbers moved.
    std::string after = with_adapters(devices, {adapter_json(0, "FC D"), adapter_json(1, "FC B", 2, 1), adapter_json(2, "FC A")});
    EXPECT_EQ(diff_lines(before, after), (Lines{"ADAPTER FC B: state NORMAL -> FAILED", "ADAPTER FC B: mode ACTIVE -> OFFLINE",
                                              "ADAPTER FC C: gone", "ADAPTER FC D: new"}));
    EXPECT_TRUE(diff_lines(before, before).empty());
    // With the table, an adapter no path names any more is not gone while the table has it.
    std::string no_paths = with_adapters(listing({device_json(0, "S0", {path_json("FC A", 1)})}),
                                         {adapter_json(0, "FC A"), adapter_json(1, "FC B"), adapter_json(2, "FC C")});
    EXPECT_EQ(diff_lines(before, no_paths), (Lines{"DEV# 0 (serial S0): path FC B 04-00-01-00 gone"}));
    // A repeated name matches in order: the second saved one with the second live one.
    std::string twice = with_adapters(devices, {adapter_json(0, "X"), adapter_json(1, "X", 1)});
    std::string twice_after = with_adapters(devices, {adapter_json(0, "X"), adapter_json(1, "X", 2)});
    EXPECT_EQ(diff_lines(twice, twice_after), (Lines{"ADAPTER X: state DEGRAD -> FAILED"}));
}

TEST(TopologyDiff, LiveAdapterTableIsClampedAndComparesWithItsListing) {
    static DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    table.AdapterCount = 1000;  // more than the table holds: 32 entries are read
    memset(table.Adapters[0].AdapterName, 'N', sizeof table.Adapters[0].AdapterName);  // unterminated
    table.Adapters[0].PathCount = 2;
    table.Adapters[0].BusType = 6;
    Topology live;
    topology_add_adapters(&live, &table);
    ASSERT_EQ(live.adapters.size(), 32u);
    EXPECT_EQ(strlen(live.adapters[0].name), 48u);
    EXPECT_TRUE(live.adapters[0].active);
    EXPECT_FALSE(live.adapters[1].active);
    Topology saved;
    std::vector<std::string> entries;
    for (int i = 0; i < 32; i++) entries.push_back(adapter_json(i, i == 0 ? std::string(48, 'N') : "", 0, 0, i == 0));
    ASSERT_EQ(read(with_adapters(listing({}), entries), &saved), "");
    std::vector<Difference> diffs;
    compare_topologies(saved, live, &diffs);
    EXPECT_TRUE(diffs.empty());
    table.AdapterCount = -5;
    Topology empty;
    topology_add_adapters(&empty, &table);
    EXPECT_TRUE(empty.has_adapters);
    EXPECT_TRUE(empty.adapters.empty());
}

}  // namespace
