// The activity log: the record format, the size threshold, whole records under
// concurrent writers, and the four-generation rotation. Each test works in its
// own RAVLIN_SIM_ROOT, where the platform puts the log.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "activity_log.h"
#include "invocation_settings.h"
#include "platform.h"
#include "test_files.h"

namespace {

// Rotation names its generations after the file it rotates; a scratch directory
// holds them.
class LogFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ravlin-log-XXXXXX";
        dir_ = mkdtemp(pattern);
        base_ = dir_ + "/ravlinsrv.log";
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string gen(int n) const { return base_ + "." + std::to_string(n); }
    std::string dir_;
    std::string base_;
};

TEST(ActivityLogRecord, DateAndTimeTexts) {
    PlatformLocalTime t{3, 3, 9, 5, 7, 250};
    char date[16];
    char time[16];
    format_log_timestamp(&t, date, time);
    EXPECT_STREQ(date, "03/03");
    EXPECT_STREQ(time, "09:05:07");
    PlatformLocalTime late{12, 31, 23, 59, 59, 999};
    format_log_timestamp(&late, date, time);
    EXPECT_STREQ(date, "12/31");
    EXPECT_STREQ(time, "23:59:59");
}

TEST_F(LogFiles, RotationMovesEachGenerationUp) {
    write_file(base_, "B");
    write_file(gen(1), "B1");
    write_file(gen(2), "B2");
    testing::internal::CaptureStderr();
    rotate_log_generations(base_.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(exists(base_));
    EXPECT_EQ(read_file(gen(1)), "B");
    EXPECT_EQ(read_file(gen(2)), "B1");
    EXPECT_EQ(read_file(gen(3)), "B2");
    EXPECT_FALSE(exists(gen(4)));
}

TEST_F(LogFiles, RotationDropsTheOldestGeneration) {
    for (int n = 1; n <= 4; n++) write_file(gen(n), "G" + std::to_string(n));
    write_file(base_, "B");
    rotate_log_generations(base_.c_str());
    EXPECT_EQ(read_file(gen(4)), "G3");
    EXPECT_EQ(read_file(gen(1)), "B");
}

TEST_F(LogFiles, RotationWithoutTheBaseReportsOnlyThatStep) {
    write_file(gen(1), "B1");
    testing::internal::CaptureStderr();
    rotate_log_generations(base_.c_str());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "rname file " + gen(1) + " from " + base_ + " failed!\n");
    EXPECT_EQ(read_file(gen(2)), "B1");
}

// The platform fixes the log path for the whole run, so the tests of this
// fixture share one root; each clears the log and its generations first.
class ActivityLog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/ravlin-root-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
    }
    static void TearDownTestSuite() {
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    void SetUp() override {
        log_ = platform_activity_log_path();
        ASSERT_EQ(log_.rfind(root_ + "/Windows/System32/ravlindsm.log", 0), 0u);
        remove(log_.c_str());
        for (int n = 1; n <= 4; n++) remove((log_ + "." + std::to_string(n)).c_str());
    }
    static std::string root_;
    std::string log_;
};
std::string ActivityLog::root_;

TEST_F(ActivityLog, RecordsCarryDateTimeAndText) {
    write_activity_log("Success: set adapter %ld to %s\n", 2L, "offline");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-zero-length"
    write_activity_log("");
#pragma GCC diagnostic pop
    write_activity_log(nullptr);
    write_activity_log_as_is("kept as is: 100%n %s\n");
    std::string text = read_file(log_);
    std::regex record(R"(\d\d/\d\d \d\d:\d\d:\d\d Success: set adapter 2 to offline
\d\d/\d\d \d\d:\d\d:\d\d kept as is: 100%n %s
)");
    EXPECT_TRUE(std::regex_match(text, record)) << text;
}

TEST_F(ActivityLog, LongTextIsCutToTheMessageBuffer) {
    std::string huge(20000, 'x');
    write_activity_log_as_is(huge.c_str());
    std::string text = read_file(log_);
    EXPECT_EQ(text.size(), 15u + kLogMessageSize - 1);
}

TEST_F(ActivityLog, RotatesOnlyAboveTheThreshold) {
    std::string line = "0123456789\n";  // a record is 15 + 11 bytes
    // Fill to exactly the threshold after the next record.
    write_file(log_, std::string(kLogRotateThreshold - 26, 'a'));
    write_activity_log_as_is(line.c_str());
    EXPECT_EQ(read_file(log_).size(), kLogRotateThreshold);
    EXPECT_FALSE(exists(log_ + ".1"));
    write_activity_log_as_is("!");
    EXPECT_FALSE(exists(log_));
    EXPECT_EQ(read_file(log_ + ".1").size(), kLogRotateThreshold + 16);
}

TEST_F(ActivityLog, ConcurrentWritersKeepRecordsWhole) {
    activity_log_init();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; t++)
        writers.emplace_back([t] {
            for (int i = 0; i < 200; i++) write_activity_log("writer %d record %03d %s\n", t, i, std::string(300, 'z').c_str());
        });
    for (std::thread& w : writers) w.join();
    std::istringstream lines(read_file(log_));
    std::regex record(R"(\d\d/\d\d \d\d:\d\d:\d\d writer \d record \d{3} z{300})");
    int count = 0;
    for (std::string l; std::getline(lines, l); count++) ASSERT_TRUE(std::regex_match(l, record)) << l;
    EXPECT_EQ(count, 800);
}

TEST_F(ActivityLog, UnwritableLogIsReportedAndTheRunGoesOn) {
    ASSERT_EQ(mkdir(log_.c_str(), 0777), 0);  // a directory where the file should be
    testing::internal::CaptureStdout();
    write_activity_log("Success: set device %ld path %ld \n", 1L, 2L);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "can not open log file: ravlindsm.log\n");
    // With -json stdout carries documents only: the complaint goes to stderr.
    g_settings.json_output = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    write_activity_log("Success: set device %ld path %ld \n", 1L, 2L);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can not open log file: ravlindsm.log\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    reset_invocation_settings();
    rmdir(log_.c_str());
}

}  // namespace
