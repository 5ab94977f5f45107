// The one gathering of a device's facts: its steps in their order, what a record
// without paths yields, and the capacity and CSV rules every presenter shares.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "device_facts.h"
#include "invocation_settings.h"

namespace {

std::vector<FactsStep> g_steps;
const DeviceFacts* g_seen = nullptr;

void record_step(FactsStep step, const DeviceFacts* facts) {
    g_steps.push_back(step);
    g_seen = facts;
}

class DeviceGathering : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ravlin-gathering-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
        g_steps.clear();
        g_seen = nullptr;
    }
    void TearDown() override {
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string root_;
};

// A record without paths asks the driver nothing: no capacity, no name from the
// disk, and without -s no storage ports.
TEST_F(DeviceGathering, StepsInOrderAndNothingAskedOfAPathlessDevice) {
    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    memcpy(record.DeviceName, "\\Device\\Harddisk1\\DR1", 21);
    DSM_PREFERRED_PATH preferred{};
    preferred.IsSet = 1;
    static DeviceFacts facts;
    memset(&facts, 0xA5, sizeof facts);  // every member the engine owns is written
    gather_device_facts(&record, &preferred, QF_ALL_PATHS, &facts, record_step);

    EXPECT_EQ(g_steps, (std::vector<FactsStep>{FactsStep::Capacity, FactsStep::Volume, FactsStep::Ports}));
    EXPECT_EQ(g_seen, &facts);
    EXPECT_EQ(facts.record, &record);
    EXPECT_EQ(facts.preferred, &preferred);
    EXPECT_EQ(facts.query_flags, uint32_t(QF_ALL_PATHS));
    EXPECT_TRUE(facts.capacity.no_paths);
    EXPECT_STREQ(capacity_failure_reason(&facts.capacity), "no-path");
    EXPECT_EQ(facts.volume_source, VdiskSource::None);
    EXPECT_STREQ(facts.volume, "");
    ASSERT_NE(facts.ports, nullptr);
    EXPECT_EQ(facts.ports->count, 0);

    // Without a step callback the same facts come back.
    static DeviceFacts again;
    gather_device_facts(&record, &preferred, QF_ALL_PATHS, &again);
    EXPECT_EQ(g_steps.size(), 3u);
    EXPECT_EQ(again.volume_source, facts.volume_source);
    EXPECT_EQ(again.capacity.no_paths, facts.capacity.no_paths);
}

TEST(DeviceFacts, ACapacityIsFoundOnlyWithASizeAndNoFailure) {
    LunCapacity c{};
    EXPECT_FALSE(capacity_found(&c));
    EXPECT_STREQ(capacity_failure_reason(&c), "no-open-path");
    c.last_lba = 7;
    c.block_length = 512;
    EXPECT_TRUE(capacity_found(&c));
    EXPECT_EQ(capacity_failure_reason(&c), nullptr);
    // A failure recorded beside a size: no size is claimed.
    c.failure = -1;
    EXPECT_FALSE(capacity_found(&c));
    EXPECT_STREQ(capacity_failure_reason(&c), "request-failed");
    c.refused = true;
    EXPECT_STREQ(capacity_failure_reason(&c), "scsi-status");
    c = LunCapacity{};
    c.no_paths = true;
    EXPECT_STREQ(capacity_failure_reason(&c), "no-path");
}

TEST(DeviceFacts, ACsvDeviceNeedsItsKey) {
    static DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    r.IsCsv = 1;
    EXPECT_FALSE(is_csv_device(&r));
    r.Key = 0x1234;
    EXPECT_TRUE(is_csv_device(&r));
    r.IsCsv = 0;
    EXPECT_FALSE(is_csv_device(&r));
}

}  // namespace
