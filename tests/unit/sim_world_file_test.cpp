// The world file of the Linux build: its root, its lock and its atomic save.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fcntl.h>

#include <string>

#include "sim_model.h"
#include "world_file.h"
#include "world_json.h"

namespace {

SimWorld g_saved;
SimWorld g_loaded;

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void write_file(const std::string& path, const char* text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs(text, f);
    fclose(f);
}

// A fresh root below a temporary directory; the root itself does not exist yet.
class WorldFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char base[] = "/tmp/sim_world_file_test.XXXXXX";
        ASSERT_NE(mkdtemp(base), nullptr);
        base_ = base;
        root_ = base_ + "/nested/root";
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
    }
    void TearDown() override {
        std::string command = "rm -rf '" + base_ + "'";
        EXPECT_EQ(system(command.c_str()), 0);
        unsetenv("RAVLIN_SIM_ROOT");
    }
    std::string base_;
    std::string root_;
};

TEST_F(WorldFileTest, RootFollowsTheEnvironment) {
    EXPECT_EQ(std::string(sim_root_dir()), root_);
    unsetenv("RAVLIN_SIM_ROOT");
    std::string saved_home = getenv("HOME") != nullptr ? getenv("HOME") : "";
    setenv("HOME", "/home/someone", 1);
    EXPECT_STREQ(sim_root_dir(), "/home/someone/.ravlin-sim");
    setenv("HOME", saved_home.c_str(), 1);
    setenv("RAVLIN_SIM_ROOT", std::string(5000, 'r').c_str(), 1);
    EXPECT_EQ(sim_root_dir(), nullptr);
}

TEST_F(WorldFileTest, MissingFileIsNoDriver) {
    WorldFile file;
    char error[512] = "";
    g_loaded.driver_loaded = 1;
    ASSERT_TRUE(world_file_lock_and_load(&file, &g_loaded, error, sizeof error)) << error;
    EXPECT_EQ(g_loaded.driver_loaded, 0u);
    EXPECT_EQ(std::string(file.path), root_ + "/world.json");
    world_file_unlock(&file);
    world_file_unlock(&file);  // harmless twice
}

TEST_F(WorldFileTest, SaveThenLoadGivesTheSameWorld) {
    char error[512] = "";
    ASSERT_TRUE(world_from_json(R"({"adapters": [{"name": "A"}], "devices": [{"device_name": "d",
        "paths": [{"adapter": "A"}]}], "faults": [{"request": "open", "error": 5, "times": 2}]})",
                                &g_saved, error, sizeof error))
        << error;
    sim_open(&g_saved);
    g_saved.changed = 0;
    WorldFile file;
    ASSERT_TRUE(world_file_lock_and_load(&file, &g_loaded, error, sizeof error)) << error;
    ASSERT_TRUE(world_file_save(&file, &g_saved, error, sizeof error)) << error;
    EXPECT_FALSE(exists(root_ + "/world.json.tmp")) << "the temporary file is renamed over";
    world_file_unlock(&file);

    ASSERT_TRUE(world_file_lock_and_load(&file, &g_loaded, error, sizeof error)) << error;
    world_file_unlock(&file);
    EXPECT_EQ(memcmp(&g_saved, &g_loaded, sizeof g_saved), 0);
}

TEST_F(WorldFileTest, SaveNeedsTheLock) {
    WorldFile file;
    char error[512] = "";
    ASSERT_TRUE(world_file_lock(&file, error, sizeof error)) << error;
    world_file_unlock(&file);
    sim_world_clear(&g_saved);
    EXPECT_FALSE(world_file_save(&file, &g_saved, error, sizeof error));
    EXPECT_FALSE(exists(root_ + "/world.json"));
}

TEST_F(WorldFileTest, DamagedFileIsReportedAndReleasesTheLock) {
    WorldFile file;
    char error[512] = "";
    ASSERT_TRUE(world_file_lock(&file, error, sizeof error)) << error;
    world_file_unlock(&file);
    write_file(root_ + "/world.json", "{\"devices\": [{\"slot\": 1");
    g_loaded.driver_loaded = 1;
    EXPECT_FALSE(world_file_lock_and_load(&file, &g_loaded, error, sizeof error));
    EXPECT_EQ(std::string(error), root_ + "/world.json: damaged world file: not valid JSON at line 1, column 24");
    EXPECT_EQ(g_loaded.driver_loaded, 0u);
    EXPECT_EQ(file.lock_fd, -1);

    write_file(root_ + "/world.json", "{\"devices\": [{\"policy\": \"fast\"}]}");
    EXPECT_FALSE(world_file_lock_and_load(&file, &g_loaded, error, sizeof error));
    EXPECT_NE(strstr(error, "damaged world file: devices[0].policy: unknown word"), nullptr) << error;
}

TEST_F(WorldFileTest, LockExcludesOthersUntilUnlocked) {
    WorldFile file;
    char error[512] = "";
    ASSERT_TRUE(world_file_lock(&file, error, sizeof error)) << error;
    // flock belongs to the open file, so a second open stands for another process.
    int other = open((root_ + "/world.lock").c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
    world_file_unlock(&file);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
}

TEST_F(WorldFileTest, RootThatIsAFileIsReported) {
    ASSERT_EQ(mkdir((base_ + "/nested").c_str(), 0777), 0);
    write_file(root_, "not a directory");
    WorldFile file;
    char error[512] = "";
    EXPECT_FALSE(world_file_lock(&file, error, sizeof error));
    EXPECT_NE(strstr(error, "cannot create the simulator root"), nullptr) << error;
}

}  // namespace
