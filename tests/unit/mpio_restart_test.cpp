// The restart pattern and the choice of the device that needs a restart, on
// records as a driver may send them (texts filling their fields, wild counts).
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "restart_parts.h"

namespace {

DSM_DEVICE_RECORD g_record;

// A record for \Device\Harddisk1\DR1 whose paths name the given disks.
void make_record(const char* serial, std::initializer_list<const char*> disks) {
    memset(&g_record, 0, sizeof g_record);
    strcpy(g_record.DeviceName, "\\Device\\Harddisk1\\DR1");
    memcpy(g_record.SerialNumber, serial, strlen(serial) < 63 ? strlen(serial) : 63);
    for (const char* d : disks) strcpy(g_record.Paths[g_record.PathCount++].DiskName, d);
}

std::string pattern_of(const char* serial) {
    char pattern[kRestartPatternSize];
    build_restart_pattern(serial, pattern);
    return pattern;
}

TEST(RestartPattern, TwoUppercaseDigitsPerCharacter) {
    EXPECT_EQ(pattern_of("AB"), "4142");
    EXPECT_EQ(pattern_of("az-~"), "617A2D7E");
    EXPECT_EQ(pattern_of(""), "");
    std::string serial63(63, '\xC3');
    std::string expected;
    for (int i = 0; i < 63; i++) expected += "C3";
    EXPECT_EQ(pattern_of(serial63.c_str()), expected);
}

TEST(RestartSerial, FirstPathNamingAnotherDisk) {
    char serial[kRestartSerialSize];
    uint32_t path = 99;
    make_record("AZ", {"Disk1 Part1", "Disk1 Part1", "Disk4 Part1", "Disk5 Part1"});
    ASSERT_TRUE(record_restart_serial(&g_record, serial, &path));
    EXPECT_STREQ(serial, "AZ");
    EXPECT_EQ(path, 2u);

    make_record("AZ", {"Disk1 Part1", "Disk1 Part1"});
    EXPECT_FALSE(record_restart_serial(&g_record, serial, &path));
    make_record("AZ", {});
    EXPECT_FALSE(record_restart_serial(&g_record, serial, &path));
    // The comparison is exact: another part of the same disk is another disk.
    make_record("AZ", {"Disk1 Part2"});
    EXPECT_TRUE(record_restart_serial(&g_record, serial, &path));
}

TEST(RestartSerial, FieldsWithoutTerminators) {
    char serial[kRestartSerialSize];
    uint32_t path = 0;
    make_record(std::string(63, 'S').c_str(), {"Disk1 Part1"});
    // A disk name filling its field, beginning with the device's own name.
    memset(g_record.Paths[1].DiskName, 'x', sizeof g_record.Paths[1].DiskName);
    memcpy(g_record.Paths[1].DiskName, "Disk1 Part1", 11);
    g_record.PathCount = 2;
    ASSERT_TRUE(record_restart_serial(&g_record, serial, &path));
    EXPECT_EQ(path, 1u);
    EXPECT_EQ(std::string(serial), std::string(63, 'S'));

    // A path count beyond the table reads only the table's 32 entries.
    make_record("AZ", {});
    for (int i = 0; i < DSM_MAX_PATHS; i++) strcpy(g_record.Paths[i].DiskName, "Disk1 Part1");
    g_record.PathCount = 0xFFFFFFFF;
    EXPECT_FALSE(record_restart_serial(&g_record, serial, &path));
}

}  // namespace
