// The scenario's device tree section and the simulated tree's answers.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "sim_model.h"
#include "world_json.h"

namespace {

SimWorld g_world;
SimWorld g_again;

std::string load(const std::string& text, SimWorld* world = &g_world) {
    char error[256] = "";
    return world_from_json(text.c_str(), world, error, sizeof error) ? "" : error;
}

TEST(DeviceTreeJson, EveryKeyReadsBackAsWritten) {
    ASSERT_EQ(load(R"({"device_tree": {"locate": "0x13", "reenumerate": 51, "list_error": 5,
        "reenumerate_count": 7, "disks": [
          {"instance_id": "MPIO\\DISK&VEN_QVR\\1&0&4142", "id_error": 13, "change_error": 5,
           "params_error": 87, "install_flags": "0x180", "disabled": true}, {}]}})"),
              "");
    const SimDeviceTree& t = g_world.device_tree;
    EXPECT_EQ(t.locate_result, 0x13u);
    EXPECT_EQ(t.reenumerate_result, 51u);
    EXPECT_EQ(t.list_error, 5u);
    EXPECT_EQ(t.disk_count, 2);
    EXPECT_STREQ(t.disks[0].instance_id, "MPIO\\DISK&VEN_QVR\\1&0&4142");
    EXPECT_EQ(t.disks[0].install_flags, 0x180u);
    EXPECT_EQ(t.disks[0].disabled, 1u);

    char* json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    EXPECT_EQ(load(json, &g_again), "");
    free(json);
    EXPECT_EQ(memcmp(&g_world, &g_again, sizeof g_world), 0);
}

TEST(DeviceTreeJson, RefusesWhatDoesNotFit) {
    EXPECT_EQ(load(R"({"device_tree": {"disks": [{}, {"instance": "x"}]}})"),
              "device_tree.disks[1].instance: unknown key");
    // One character more than ravlin's 1024-byte reader holds is the longest identifier.
    EXPECT_EQ(load(R"({"device_tree": {"disks": [{"instance_id": ")" + std::string(1024, 'M') + R"("}]}})"), "");
    EXPECT_EQ(load(R"({"device_tree": {"disks": [{"instance_id": ")" + std::string(1025, 'M') + R"("}]}})"),
              "device_tree.disks[0].instance_id: text longer than 1024 characters (1025)");
    std::string many = R"({"device_tree": {"disks": [{})";
    for (int i = 0; i < SIM_MAX_DISK_INSTANCES; i++) many += ", {}";
    EXPECT_NE(load(many + "]}}"), "");
    EXPECT_NE(load(R"({"device_tree": {"locate": -1}})"), "");
}

TEST(DeviceTree, AnswersAndJournal) {
    ASSERT_EQ(load(R"({"device_tree": {"disks": [
        {"instance_id": "MPIO\\DISK\\4142", "install_flags": "0x80"},
        {"instance_id": "MPIO\\DISK\\4143", "change_error": 5, "id_error": 13}]}})"),
              "");
    char id[16];
    EXPECT_EQ(sim_tree_instance_id(&g_world, 0, id, sizeof id), 0u);
    EXPECT_STREQ(id, "MPIO\\DISK\\4142");
    EXPECT_EQ(sim_tree_instance_id(&g_world, 0, id, 14), 122u);  // no room for the terminator
    EXPECT_EQ(sim_tree_instance_id(&g_world, 1, id, sizeof id), 13u);
    EXPECT_EQ(sim_tree_instance_id(&g_world, 2, id, sizeof id), 259u);

    EXPECT_EQ(sim_tree_property_change(&g_world, 0, 2, 2), 0u);
    EXPECT_EQ(g_world.device_tree.disks[0].disabled, 1u);
    EXPECT_EQ(sim_tree_property_change(&g_world, 1, 1, 1), 5u);
    uint32_t flags = 0;
    EXPECT_EQ(sim_tree_install_flags(&g_world, 0, &flags), 0u);
    EXPECT_EQ(flags, 0x80u);

    char* text = journal_to_text(&g_world);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text),
              "property_change disk=0 state=disable scope=config -> error=0\n"
              "property_change disk=1 state=enable scope=global -> error=5\n");
    free(text);
}

}  // namespace

// The keys that split a property change into its parts read back as written, and
// a world that uses none of them writes none.
TEST(DeviceTreeJson, PartsOfAChangeRoundTripAndStayOutWhenUnused) {
    ASSERT_EQ(load(R"({"device_tree": {"journal_calls": true, "disks": [
        {"class_params_error": 13, "disable_error": 5, "enable_error": 6, "global_enable_error": 7,
         "disable_install_flags": "0x80", "enable_install_flags": 0}]}})"),
              "");
    char* json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    EXPECT_EQ(load(json, &g_again), "");
    free(json);
    EXPECT_EQ(memcmp(&g_world.device_tree, &g_again.device_tree, sizeof g_world.device_tree), 0);

    ASSERT_EQ(load(R"({"device_tree": {"disks": [{"change_error": 5}]}})"), "");
    json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    std::string text = json;
    free(json);
    for (const char* key : {"journal_calls", "class_params_error", "disable_error", "enable_install_flags"})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
}
