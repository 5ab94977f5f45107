// The control channel over the Linux platform layer: what the open reads and
// keeps, the success rule of dsm_control, and what the world file keeps after a
// run. Each test writes its world into a scratch RAVLIN_SIM_ROOT first.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "control_device.h"
#include "sim_model.h"
#include "world_file.h"

namespace {

SimWorld g_world;

class ControlDevice : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/ravlin-control-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
    }
    static void TearDownTestSuite() {
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    // A driver with 14 slots and three active adapters, plus `faults`.
    static void store_world(std::initializer_list<SimFault> faults = {}) {
        sim_world_clear(&g_world);
        g_world.driver_loaded = 1;
        g_world.device_slot_count = 14;
        g_world.adapter_count = 3;
        for (int i = 0; i < 3; i++) g_world.adapters[i].active = 1;
        for (const SimFault& f : faults) g_world.faults[g_world.fault_count++] = f;
        write_world();
    }
    static void write_world() {
        WorldFile file;
        char error[256];
        ASSERT_TRUE(world_file_lock(&file, error, sizeof error)) << error;
        ASSERT_TRUE(world_file_save(&file, &g_world, error, sizeof error)) << error;
        world_file_unlock(&file);
    }
    static void read_world() {
        WorldFile file;
        char error[256];
        ASSERT_TRUE(world_file_lock_and_load(&file, &g_world, error, sizeof error)) << error;
        world_file_unlock(&file);
    }
    static std::string root_;
};
std::string ControlDevice::root_;

TEST_F(ControlDevice, OpenKeepsTheSlotCountAndAdapterCount) {
    store_world();
    ASSERT_EQ(open_control_device(), 0);
    EXPECT_EQ(g_connection.device_slot_count, 14);
    EXPECT_EQ(g_connection.adapter_count, 3);
    EXPECT_EQ(get_device_slot_count(), 14);
    // The handle is not shared: a second open in the same run fails.
    EXPECT_EQ(platform_open_device("\\\\.\\RAVLIN").value, 0u);
    EXPECT_TRUE(close_control_device());
    EXPECT_EQ(g_connection.device_handle.value, 0u);
    EXPECT_TRUE(close_control_device());  // nothing held: nothing to fail

    // The run's requests are in the world file afterwards.
    read_world();
    EXPECT_EQ(sim_journal_kept(&g_world), 5u);  // open, two requests, one more count, close
    EXPECT_EQ(sim_journal_entry(&g_world, 4)->code, SIM_CODE_CLOSE);
}

TEST_F(ControlDevice, ShortRepliesAndFailuresAreNonzero) {
    store_world({SimFault{IOCTL_DSM_SEND_RTPG, -1, 0, 2, -1, 1, 0, 0, 0, 0, 0},
                 SimFault{IOCTL_DSM_SEND_RTPG, -1, 1617, -1, -1, 1, 0, 0, 0, 0, 0}});
    ASSERT_EQ(open_control_device(), 0);
    uint32_t body = 1;
    EXPECT_EQ(dsm_control(IOCTL_DSM_SEND_RTPG, &body, sizeof body), DSM_ERROR_BAD_LENGTH);
    EXPECT_EQ(dsm_control(IOCTL_DSM_SEND_RTPG, &body, sizeof body), 1617u);
    EXPECT_EQ(dsm_control(IOCTL_DSM_SEND_RTPG, &body, sizeof body), 0u);
    EXPECT_TRUE(close_control_device());
}

TEST_F(ControlDevice, FailedOpensHoldNothing) {
    store_world({SimFault{IOCTL_DSM_GET_COUNTS, -1, 31, -1, -1, 0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(open_control_device(), -1);
    EXPECT_EQ(g_connection.device_handle.value, 0u);
    // The world lock went with the failed open: the file can be rewritten at once.
    store_world();
    g_world.driver_loaded = 0;
    write_world();
    EXPECT_EQ(open_control_device(), -1);
    EXPECT_EQ(platform_last_error(), DSM_ERROR_FILE_NOT_FOUND);
}

TEST_F(ControlDevice, DamagedWorldFileFailsTheOpenWithAMessage) {
    std::string path = root_ + "/world.json";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("{\"driver\": ", f);
    fclose(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(open_control_device(), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ravlin: simulator: "), std::string::npos);
}

TEST_F(ControlDevice, RefreshErrorWithTheTopBitSetIsReported) {
    store_world({SimFault{IOCTL_DSM_SEND_RTPG, -1, 0xE0000001u, -1, -1, 1, 0, 0, 0, 0, 0}});
    ASSERT_EQ(open_control_device(), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(exec_send_rtpg(), 0xE0000001u);
    EXPECT_EQ(exec_send_rtpg(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nError executing ioctl to device file\n\n");
    EXPECT_TRUE(close_control_device());
    read_world();
    EXPECT_EQ(g_world.rtpg_count, 1u);
}

}  // namespace
