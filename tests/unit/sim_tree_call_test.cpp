// The test device tree's call record, answered by the simulated tree: what the
// Windows build's setupapi.dll gets back for each call, and what a record sent
// by any program can and cannot make the driver do.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "sim_model.h"
#include "sim_tree_call.h"
#include "world_json.h"

namespace {

SimWorld g_world;

void load(const char* text) {
    char error[256] = "";
    ASSERT_TRUE(world_from_json(text, &g_world, error, sizeof error)) << error;
}

SimTreeCall call(uint32_t op, uint32_t index = 0, uint32_t state = 0, uint32_t scope = 0, uint32_t size = 0) {
    SimTreeCall c;
    memset(&c, 0x5A, sizeof c);  // stale bytes, as a careless caller would send
    c.op = op;
    c.index = index;
    c.state = state;
    c.scope = scope;
    c.size = size;
    sim_tree_call(&g_world, &c);
    return c;
}

std::string journal() {
    char* text = journal_to_text(&g_world);
    std::string out = text != nullptr ? text : "";
    free(text);
    return out;
}

TEST(TreeCall, RootListAndIdentifiers) {
    load(R"({"device_tree": {"journal_calls": true, "reenumerate": "0x33", "disks": [
        {"instance_id": "MPIO\\DISK\\4142"}, {"instance_id": "MPIO\\DISK\\4143", "id_error": 13}]}})");
    SimTreeCall c = call(SIM_TREE_LOCATE_ROOT);
    EXPECT_EQ(c.result, 0u);
    EXPECT_EQ(c.value, 1u);
    EXPECT_EQ(call(SIM_TREE_REENUMERATE, c.value).result, 0x33u);
    EXPECT_EQ(g_world.device_tree.reenumerate_count, 0u);  // a refused one is not counted

    c = call(SIM_TREE_LIST);
    EXPECT_EQ(c.result, 0u);
    EXPECT_EQ(c.value, 2u);

    c = call(SIM_TREE_INSTANCE_ID, 0, 0, 0, 1024);
    EXPECT_EQ(c.result, 0u);
    EXPECT_STREQ(c.text, "MPIO\\DISK\\4142");
    // The caller's room counts the terminator; the text is never left stale.
    c = call(SIM_TREE_INSTANCE_ID, 0, 0, 0, 14);
    EXPECT_EQ(c.result, 122u);
    EXPECT_EQ(c.text[0], '\0');
    EXPECT_EQ(call(SIM_TREE_INSTANCE_ID, 1, 0, 0, 1024).result, 13u);
    EXPECT_EQ(call(SIM_TREE_INSTANCE_ID, 2, 0, 0, 1024).result, 259u);
    EXPECT_EQ(journal(), "locate_root -> error=0\nreenumerate -> error=51\n");
}

TEST(TreeCall, AChangeInTwoCallsJournalsAsOneInOne) {
    const char* world = R"({"device_tree": {"journal_calls": true, "disks": [
        {"instance_id": "a", "class_params_error": 13}, {"instance_id": "b", "disable_install_flags": "0x80"}]}})";
    load(world);
    EXPECT_EQ(sim_tree_property_change(&g_world, 0, 2, 2), 13u);
    EXPECT_EQ(sim_tree_property_change(&g_world, 1, 2, 2), 0u);
    std::string whole = journal();

    load(world);
    EXPECT_EQ(call(SIM_TREE_CLASS_PARAMS, 0, 2, 2).result, 13u);
    EXPECT_EQ(call(SIM_TREE_CLASS_PARAMS, 1, 2, 2).result, 0u);
    EXPECT_EQ(call(SIM_TREE_CALL_INSTALLER, 1, 2, 2).result, 0u);
    EXPECT_EQ(journal(), whole);
    EXPECT_EQ(whole,
              "class_install_params disk=0 state=disable scope=config -> error=13\n"
              "class_install_params disk=1 state=disable scope=config -> error=0\n"
              "property_change disk=1 state=disable scope=config -> error=0\n");

    SimTreeCall c = call(SIM_TREE_INSTALL_FLAGS, 1);
    EXPECT_EQ(c.result, 0u);
    EXPECT_EQ(c.value, 0x80u);  // the flags after a disable
}

TEST(TreeCall, ARecordFromAnyProgramStaysInsideTheWorld) {
    load(R"({"device_tree": {"disks": [{"instance_id": "MPIO\\DISK\\4142"}]}})");
    EXPECT_EQ(call(0).result, 1u);
    EXPECT_EQ(call(99).result, 1u);
    // Indexes past the table, and ones that read negative, name no disk.
    for (uint32_t index : {1u, 64u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(call(SIM_TREE_INSTANCE_ID, index, 0, 0, 1024).result, 259u) << index;
        EXPECT_EQ(call(SIM_TREE_INSTALL_FLAGS, index).result, 259u) << index;
        EXPECT_EQ(call(SIM_TREE_CALL_INSTALLER, index, 2, 2).result, 259u) << index;
        EXPECT_EQ(call(SIM_TREE_CLASS_PARAMS, index, 2, 2).result, 0u) << index;
    }
    // A room larger than the record's text is held to the text.
    SimTreeCall c = call(SIM_TREE_INSTANCE_ID, 0, 0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(c.result, 0u);
    EXPECT_STREQ(c.text, "MPIO\\DISK\\4142");
    // An identifier that fills the world's whole field (no terminator) does not fit.
    memset(g_world.device_tree.disks[0].instance_id, 'M', sizeof g_world.device_tree.disks[0].instance_id);
    EXPECT_EQ(call(SIM_TREE_INSTANCE_ID, 0, 0, 0, 0xFFFFFFFFu).result, 122u);
    // A disk count out of range is clamped to the table.
    g_world.device_tree.disk_count = 1000;
    EXPECT_EQ(call(SIM_TREE_LIST).value, uint32_t(SIM_MAX_DISK_INSTANCES));
    g_world.device_tree.disk_count = -5;
    EXPECT_EQ(call(SIM_TREE_LIST).value, 0u);
}

}  // namespace
