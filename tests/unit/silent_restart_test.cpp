// The silent restart pass, as the disk identity code runs it on a disconnected
// disk: it says nothing about the device records, but the disk state lines and the
// changes themselves are the same as the verbose pass's.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "control_device.h"
#include "invocation_settings.h"
#include "mpio_restart.h"
#include "sim_model.h"
#include "world_file.h"
#include "world_json.h"

namespace {

SimWorld g_world;

const char kWorld[] = R"({
  "driver": {"device_slots": 4},
  "devices": [
    {"device_name": "\\Device\\Harddisk1\\DR1", "serial": "AB", "paths": [{"disk_name": "Disk3 Part1"}]},
    {"state": "removed"},
    {"state": "invalid"}
  ],
  "device_tree": {"disks": [{"instance_id": "MPIO\\DISK&VEN_QVR\\1&7F6AC24&0&4142", "install_flags": "0x100"},
                            {"instance_id": "MPIO\\DISK&VEN_QVR\\1&7F6AC24&0&4142&1"}]}
})";

class SilentRestart : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ravlin-restart-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
        char error[256] = "";
        ASSERT_TRUE(world_from_json(kWorld, &g_world, error, sizeof error)) << error;
        WorldFile file;
        ASSERT_TRUE(world_file_lock(&file, error, sizeof error)) << error;
        ASSERT_TRUE(world_file_save(&file, &g_world, error, sizeof error)) << error;
        world_file_unlock(&file);
    }
    void TearDown() override {
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string root_;
};

TEST_F(SilentRestart, PrintsOnlyTheDiskStateLines) {
    reset_invocation_settings();
    ASSERT_EQ(open_control_device(), 0);
    testing::internal::CaptureStdout();
    restart_mpio_disks(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "need to reboot\r\ndisable disk succeed\r\nneed to reboot\r\nenable disk succeed\r\n");
    // The cursor is left at the last slot visited (the empty slot 3).
    EXPECT_EQ(g_settings.first_device, 3);
    EXPECT_TRUE(close_control_device());

    WorldFile file;
    char error[256] = "";
    ASSERT_TRUE(world_file_lock_and_load(&file, &g_world, error, sizeof error)) << error;
    world_file_unlock(&file);
    char* text = journal_to_text(&g_world);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text),
              "open -> error=0\n"
              "IOCTL_DSM_GET_COUNTS in=8 out=8 data= -> error=0 returned=8\n"
              "IOCTL_DSM_GET_ADAPTER_INFO in=2696 out=2696 data= -> error=0 returned=2696\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data= -> error=0 returned=4344\n"
              "property_change disk=0 state=disable scope=config -> error=0\n"
              "property_change disk=1 state=disable scope=config -> error=0\n"
              "property_change disk=0 state=enable scope=global -> error=0\n"
              "property_change disk=0 state=enable scope=config -> error=0\n"
              "property_change disk=1 state=enable scope=global -> error=0\n"
              "property_change disk=1 state=enable scope=config -> error=0\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data=0000000001 -> error=1617 returned=0\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data=0000000002 -> error=0 returned=4\n"
              "IOCTL_DSM_GET_DEVICE_INFO in=4344 out=4344 data=0000000003 -> error=2 returned=0\n"
              "close -> error=0\n");
    free(text);
    // Both instances end enabled.
    EXPECT_EQ(g_world.device_tree.disks[0].disabled, 0u);
    EXPECT_EQ(g_world.device_tree.disks[1].disabled, 0u);
}

}  // namespace
