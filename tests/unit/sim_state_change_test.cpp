// The simulated driver's state changes, which the configuration cases and the
// demo rely on: what a change reads back as, when the driver refuses to take the
// last access to a device, and the lookup of a device by its NT name.
#include <gtest/gtest.h>

#include <string.h>

#include "dsm_interface.h"
#include "sim_model.h"
#include "world_json.h"

namespace {

SimWorld g_world;

// Two adapters; device 0 has a path through each, device 1 one path through A
// only; slot 2 is removed.
void make_world() {
    const char* text = R"({
      "adapters": [{"name": "A"}, {"name": "inactive", "active": false}, {"name": "B"}],
      "devices": [
        {"device_name": "\\Device\\Harddisk1\\DR1", "paths": [{"adapter": "A"}, {"adapter": "B"}]},
        {"device_name": "\\Device\\Harddisk2\\DR0", "paths": [{"adapter": "A"}]},
        {"state": "removed", "device_name": "\\Device\\Harddisk7\\DR0"}
      ]})";
    char error[256];
    ASSERT_TRUE(world_from_json(text, &g_world, error, sizeof error)) << error;
}

SimReply set_path(uint32_t device, uint32_t path, uint32_t action, uint32_t* status) {
    DSM_PATH_STATE_REQUEST r = {0, device, path, action, DSM_REQUEST_MARKER};
    SimReply reply = sim_answer(&g_world, IOCTL_DSM_SET_PATH_STATE, &r, sizeof r, &r, sizeof r);
    *status = r.Status;
    return reply;
}

SimReply set_adapter(uint32_t adapter, uint32_t action, uint32_t* status) {
    DSM_ADAPTER_STATE_REQUEST r = {0, adapter, action, DSM_REQUEST_MARKER};
    SimReply reply = sim_answer(&g_world, IOCTL_DSM_SET_ADAPTER_STATE, &r, sizeof r, &r, sizeof r);
    *status = r.Status;
    return reply;
}

const SimPath& path(int device, int i) { return g_world.devices[device].paths[i]; }

TEST(SimStateChange, PathOfflineAndOnlineReadBack) {
    make_world();
    uint32_t status = 0;
    EXPECT_EQ(set_path(0, 1, DSM_ACTION_OFFLINE, &status).error, 0u);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(path(0, 1).mode, DSM_MODE_OFFLINE);
    EXPECT_EQ(path(0, 1).state, DSM_PATH_DEAD);
    EXPECT_EQ(g_world.adapters[2].active_path_count, 0);

    // The other path is now the last: it stays, with Status 5 in a successful call.
    SimReply kept = set_path(0, 0, DSM_ACTION_OFFLINE, &status);
    EXPECT_EQ(kept.error, 0u);
    EXPECT_EQ(status, DSM_STATUS_PRESERVE_ACCESS);
    EXPECT_EQ(path(0, 0).mode, DSM_MODE_NORMAL);

    EXPECT_EQ(set_path(0, 1, DSM_ACTION_ONLINE, &status).error, 0u);
    EXPECT_EQ(path(0, 1).state, DSM_PATH_OPEN);
    EXPECT_EQ(path(0, 1).mode, DSM_MODE_NORMAL);
    EXPECT_EQ(g_world.adapters[2].active_path_count, 1);
}

TEST(SimStateChange, RefusalMayFailTheCallAndStillCarryStatus) {
    make_world();
    g_world.preserve_access.error = 234;
    uint32_t status = 0;
    SimReply reply = set_path(1, 0, DSM_ACTION_OFFLINE, &status);
    EXPECT_EQ(reply.error, 234u);
    EXPECT_EQ(reply.returned, sizeof(DSM_PATH_STATE_REQUEST));
    EXPECT_EQ(status, DSM_STATUS_PRESERVE_ACCESS);
    EXPECT_EQ(path(1, 0).mode, DSM_MODE_NORMAL);
}

TEST(SimStateChange, AdapterStateCarriesToItsPaths) {
    make_world();
    uint32_t status = 0;
    // Adapter 1 of the listed table is B: the inactive adapter is not counted.
    EXPECT_EQ(set_adapter(1, DSM_ACTION_OFFLINE, &status).error, 0u);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(g_world.adapters[2].mode, DSM_MODE_OFFLINE);
    EXPECT_EQ(path(0, 1).mode, DSM_MODE_OFFLINE);
    EXPECT_EQ(path(0, 0).mode, DSM_MODE_NORMAL);

    // A is now the only way to both devices.
    EXPECT_EQ(set_adapter(0, DSM_ACTION_OFFLINE, &status).error, 0u);
    EXPECT_EQ(status, DSM_STATUS_PRESERVE_ACCESS);
    EXPECT_EQ(g_world.adapters[0].mode, DSM_MODE_NORMAL);

    EXPECT_EQ(set_adapter(1, DSM_ACTION_ONLINE, &status).error, 0u);
    EXPECT_EQ(path(0, 1).state, DSM_PATH_OPEN);
    EXPECT_EQ(path(0, 1).mode, DSM_MODE_NORMAL);
    EXPECT_EQ(g_world.adapters[2].active_path_count, 1);

    // Path references are recounted inside the driver: nothing visible changes.
    EXPECT_EQ(set_adapter(0, DSM_ACTION_PATHCOUNTREF, &status).error, 0u);
    EXPECT_EQ(g_world.adapters[0].mode, DSM_MODE_NORMAL);
    EXPECT_EQ(set_adapter(3, DSM_ACTION_OFFLINE, &status).error, DSM_ERROR_INVALID_PARAMETER);
}

TEST(SimStateChange, BadRequestsChangeNothing) {
    make_world();
    uint32_t status = 0;
    EXPECT_EQ(set_path(0, 2, DSM_ACTION_OFFLINE, &status).error, DSM_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(set_path(2, 0, DSM_ACTION_OFFLINE, &status).error, DSM_ERROR_DEVICE_REMOVED);
    EXPECT_EQ(set_path(9, 0, DSM_ACTION_OFFLINE, &status).error, DSM_ERROR_FILE_NOT_FOUND);
    DSM_PATH_STATE_REQUEST unmarked = {0, 0, 1, DSM_ACTION_OFFLINE, 0};
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_SET_PATH_STATE, &unmarked, sizeof unmarked, &unmarked, sizeof unmarked)
                  .error,
              DSM_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(path(0, 1).mode, DSM_MODE_NORMAL);
}

TEST(SimStateChange, PolicyAndPreferredPathReadBack) {
    make_world();
    DSM_POLICY_REQUEST policy = {};
    policy.DeviceNumber = 1;
    policy.Policy = DSM_POLICY_LEAST_BYTES;
    policy.Scope = DSM_SCOPE_OPT_NODES;
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_SET_POLICY, &policy, sizeof policy, &policy, sizeof policy).error, 0u);
    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    record.DeviceNumber = 1;
    sim_answer(&g_world, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record);
    EXPECT_EQ(record.Policy, DSM_POLICY_LEAST_BYTES);
    EXPECT_EQ(g_world.devices[1].scope, DSM_SCOPE_OPT_NODES);

    DSM_PREFERRED_PATH set = {0, 1, 1, {}};
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_SET_PREFERRED_PATH, &set, sizeof set, &set, sizeof set).error, 0u);
    DSM_PREFERRED_PATH get = {0, 0, 0, {}};
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_GET_PREFERRED_PATH, &get, sizeof get, &get, sizeof get).error, 0u);
    EXPECT_EQ(get.PathNumber, 1u);
    EXPECT_EQ(get.IsSet, 1);

    DSM_PREFERRED_PATH clear = {0, 7, 0, {}};  // the path number of a clear is not judged
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_SET_PREFERRED_PATH, &clear, sizeof clear, &clear, sizeof clear).error, 0u);
    sim_answer(&g_world, IOCTL_DSM_GET_PREFERRED_PATH, &get, sizeof get, &get, sizeof get);
    EXPECT_EQ(get.IsSet, 0);
}

TEST(SimStateChange, DeviceFoundByName) {
    make_world();
    static DSM_DEVICE_RECORD record;
    auto look_up = [](const char* name) {
        memset(&record, 0, sizeof record);
        record.DeviceNumber = DSM_FIND_BY_NAME;
        strcpy(record.DeviceName, name);
        return sim_answer(&g_world, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record);
    };
    EXPECT_EQ(look_up("\\Device\\Harddisk2\\DR0").error, 0u);
    EXPECT_EQ(record.DeviceNumber, 1u);
    // Disk 1's object is DR1: the disk folder still names it.
    EXPECT_EQ(look_up("\\Device\\Harddisk1\\DR0").error, 0u);
    EXPECT_EQ(record.DeviceNumber, 0u);
    EXPECT_EQ(record.PathCount, 2u);
    EXPECT_EQ(look_up("\\Device\\Harddisk7\\DR0").error, DSM_ERROR_DEVICE_REMOVED);
    EXPECT_EQ(look_up("\\Device\\Harddisk12\\DR0").error, DSM_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(look_up("").error, DSM_ERROR_FILE_NOT_FOUND);
}

TEST(SimStateChange, RefusalSettingSurvivesTheWorldFile) {
    make_world();
    g_world.preserve_access.error = 234;
    char* text = world_to_json(&g_world);
    ASSERT_NE(text, nullptr);
    static SimWorld again;
    char error[256];
    EXPECT_TRUE(world_from_json(text, &again, error, sizeof error)) << error;
    free(text);
    EXPECT_EQ(again.preserve_access.error, 234u);
    EXPECT_FALSE(world_from_json(R"({"preserve_access": {"status": 5}})", &again, error, sizeof error));
}

}  // namespace
