// The after-state of a change that takes paths offline, over hand-built records:
// which paths it touches, the verdicts health's engine gives before and after,
// the status and the report lines.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "change_outlook.h"
#include "record_builders.h"

namespace {

const DSM_ADAPTER_TABLE kThree =
    adapters({{"FC A", DSM_ADAPTER_NORMAL}, {"FC B", DSM_ADAPTER_NORMAL}, {"FC D", DSM_ADAPTER_NORMAL}});

DeviceOutlook foresee(const DSM_DEVICE_RECORD& r, const PlannedChange& c, bool tpgs = false,
                      const DSM_ADAPTER_TABLE& now = kThree, int32_t slot = 2) {
    DSM_ADAPTER_TABLE after;
    table_after_change(&now, now.AdapterCount, &c, &after);
    DeviceOutlook o;
    foresee_device(&r, slot, &now, &after, now.AdapterCount, &c, HealthOptions{tpgs, nullptr}, &o);
    return o;
}

PlannedChange adapter(int32_t n, const DSM_ADAPTER_TABLE& t = kThree) { return adapter_change(&t, t.AdapterCount, n); }

std::string line(const DeviceOutlook& o) {
    char text[4096];
    format_outlook_line(2, "Disk2 Part2", "SER2", &o, text, sizeof text);
    return text;
}

TEST(ChangeOutlook, AdapterChangeTouchesEveryPathThroughItAndNothingElse) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}, {"FC A", DEAD, NORMAL, 0, 0},
                                  {"FC A", CLOSE, NORMAL, 0, 0}, {"FC AB", OPEN, NORMAL, 0, 0}});
    DSM_DEVICE_RECORD after;
    PlannedChange c = adapter(0);
    EXPECT_EQ(record_after_change(&r, 2, &c, &after), 3);  // dead and closed paths go through it too
    EXPECT_EQ(after.Paths[0].Mode, OFFLINE);
    EXPECT_EQ(after.Paths[1].Mode, NORMAL);
    EXPECT_EQ(after.Paths[2].Mode, OFFLINE);
    EXPECT_EQ(after.Paths[3].Mode, OFFLINE);
    EXPECT_EQ(after.Paths[4].Mode, NORMAL);  // a name that only starts alike is another adapter
    EXPECT_EQ(after.Paths[0].State, OPEN);   // the state is the driver's to change, not ours
    EXPECT_EQ(memcmp(&r.Paths[1], &after.Paths[1], sizeof r.Paths[1]), 0);
}

TEST(ChangeOutlook, PathChangeTouchesOnlyThatPathOfThatDevice) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}});
    DSM_DEVICE_RECORD after;
    PlannedChange c = path_change(2, 1);
    EXPECT_EQ(record_after_change(&r, 2, &c, &after), 1);
    EXPECT_EQ(after.Paths[0].Mode, NORMAL);
    EXPECT_EQ(after.Paths[1].Mode, OFFLINE);
    EXPECT_EQ(record_after_change(&r, 3, &c, &after), 0);  // another slot
    PlannedChange beyond = path_change(2, 5);
    EXPECT_EQ(record_after_change(&r, 2, &beyond, &after), 0);
    PlannedChange negative = path_change(2, -1);
    EXPECT_EQ(record_after_change(&r, 2, &negative, &after), 0);
}

TEST(ChangeOutlook, AnAdapterOutsideTheTableTouchesNothing) {
    // Its name would be empty, and an empty adapter name on a path must not match it.
    DSM_DEVICE_RECORD r = device({{"", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}});
    DSM_DEVICE_RECORD after;
    for (int32_t n : {-1, 3, DSM_MAX_ADAPTERS, 1000}) {
        PlannedChange c = adapter(n);
        EXPECT_FALSE(c.adapter_known) << n;
        EXPECT_EQ(record_after_change(&r, 2, &c, &after), 0) << n;
    }
}

TEST(ChangeOutlook, PathCountIsClampedToTheRecord) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 0, 0}});
    r.PathCount = 0xFFFFFFFF;
    DSM_DEVICE_RECORD after;
    PlannedChange c = path_change(2, DSM_MAX_PATHS);
    EXPECT_EQ(record_after_change(&r, 2, &c, &after), 0);
    PlannedChange last = path_change(2, DSM_MAX_PATHS - 1);
    EXPECT_EQ(record_after_change(&r, 2, &last, &after), 1);
}

TEST(ChangeOutlook, TableAfterSetsOnlyThatAdapterOffline) {
    PlannedChange c = adapter(1);
    DSM_ADAPTER_TABLE after;
    table_after_change(&kThree, kThree.AdapterCount, &c, &after);
    EXPECT_EQ(after.Adapters[0].Mode, DSM_MODE_NORMAL);
    EXPECT_EQ(after.Adapters[1].Mode, DSM_MODE_OFFLINE);
    EXPECT_EQ(after.Adapters[2].Mode, DSM_MODE_NORMAL);
    EXPECT_EQ(after.AdapterCount, kThree.AdapterCount);
    // A count beyond the table copies the table, no more.
    table_after_change(&kThree, 1000, &c, &after);
    EXPECT_EQ(after.Adapters[1].Mode, DSM_MODE_OFFLINE);
}

TEST(ChangeOutlook, VerdictsBeforeAndAfter) {
    // A redundant pair loses redundancy.
    DeviceOutlook pair = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}}), adapter(0));
    EXPECT_EQ(pair.before.verdict, HealthVerdict::Ok);
    EXPECT_EQ(pair.after.verdict, HealthVerdict::Spof);
    EXPECT_TRUE(outlook_worse(&pair));
    EXPECT_FALSE(outlook_loses_access(&pair));
    EXPECT_EQ(line(pair), "DEV# 2 Disk2 Part2 (serial SER2): OK now, SPOF after: 1 active path, through FC B");

    // Three adapters: still OK, and the line says what is left.
    DeviceOutlook wide = foresee(
        device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}, {"FC D", OPEN, NORMAL, 0, 0}}), adapter(2));
    EXPECT_EQ(wide.after.verdict, HealthVerdict::Ok);
    EXPECT_FALSE(outlook_worse(&wide));
    EXPECT_EQ(line(wide), "DEV# 2 Disk2 Part2 (serial SER2): OK now, OK after: 2 active paths left");

    // The other paths are dead, closed or offline: the last active one goes.
    DeviceOutlook last = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", DEAD, NORMAL, 0, 0},
                                         {"FC B", CLOSE, NORMAL, 0, 0}, {"FC D", OPEN, OFFLINE, 0, 0}}),
                                 adapter(0));
    EXPECT_EQ(last.after.verdict, HealthVerdict::Down);
    EXPECT_TRUE(outlook_loses_access(&last));
    EXPECT_EQ(line(last),
              "DEV# 2 Disk2 Part2 (serial SER2): SPOF now, DOWN after: no active path; 1 failed path (#1); the "
              "driver refuses a change that takes away the last access of a LUN");

    // Down before and after loses nothing the driver would guard.
    DeviceOutlook dead = foresee(device({{"FC A", DEAD, NORMAL, 0, 0}, {"FC B", DEAD, NORMAL, 0, 0}}), adapter(0));
    EXPECT_EQ(dead.before.verdict, HealthVerdict::Down);
    EXPECT_FALSE(outlook_worse(&dead));
    EXPECT_FALSE(outlook_loses_access(&dead));

    // Taking away the failed path improves the verdict: not worse.
    DeviceOutlook mend = foresee(
        device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}, {"FC D", DEAD, NORMAL, 0, 0}}), adapter(2));
    EXPECT_EQ(mend.before.verdict, HealthVerdict::Degraded);
    EXPECT_EQ(mend.after.verdict, HealthVerdict::Ok);
    EXPECT_FALSE(outlook_worse(&mend));

    // Only the optimized path goes: NO-OPTIMIZED after is a loss too.
    DeviceOutlook opt = foresee(
        device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 1}, {"FC D", OPEN, NORMAL, 0, 1}}), adapter(0));
    EXPECT_EQ(opt.after.verdict, HealthVerdict::NoOptimized);
    EXPECT_TRUE(outlook_worse(&opt));
}

TEST(ChangeOutlook, TpgsCountsStandbyPathsAsHealthDoes) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", DEAD, NORMAL, 0, 0}, {"FC D", OPEN, NORMAL, 0, 0}});
    DeviceOutlook plain = foresee(r, adapter(2));
    EXPECT_EQ(plain.before.verdict, HealthVerdict::Degraded);  // the dead path has failed
    EXPECT_EQ(plain.after.verdict, HealthVerdict::Spof);
    DeviceOutlook tpgs = foresee(r, adapter(2), true);
    EXPECT_EQ(tpgs.before.verdict, HealthVerdict::Ok);
    EXPECT_EQ(tpgs.after.verdict, HealthVerdict::Ok);  // one active and one standby path, two adapters
    EXPECT_EQ(line(tpgs), "DEV# 2 Disk2 Part2 (serial SER2): OK now, OK after: 1 active and 1 standby paths left");
}

TEST(ChangeOutlook, AnAdapterGoingOfflineIsNoLongerATroubleToItsPaths) {
    // Its paths are offline after, so its FAILED state no longer degrades the device.
    DSM_ADAPTER_TABLE t = adapters({{"FC A", DSM_ADAPTER_NORMAL}, {"FC B", DSM_ADAPTER_NORMAL}, {"FC D", DSM_ADAPTER_FAILED}});
    DeviceOutlook o = foresee(
        device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}, {"FC D", OPEN, NORMAL, 0, 0}}), adapter(2, t), false, t);
    EXPECT_EQ(o.before.verdict, HealthVerdict::Degraded);
    EXPECT_EQ(o.after.verdict, HealthVerdict::Ok);
}

TEST(ChangeOutlook, UnaffectedDeviceKeepsItsVerdict) {
    DeviceOutlook o = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}}), adapter(1));
    EXPECT_EQ(o.paths_taken, 0);
    EXPECT_EQ(o.after.verdict, o.before.verdict);
    EXPECT_FALSE(outlook_worse(&o));
}

TEST(ChangeOutlook, SummaryStatusAndFirstLine) {
    WhatIfSummary s{};
    DeviceOutlook untouched = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}}), adapter(2));
    add_outlook(&s, &untouched);
    EXPECT_EQ(whatif_status(&s), HealthStatus::Ok);
    char text[512];
    PlannedChange c = adapter(2);
    char change[64];
    describe_change(&c, change, sizeof change);
    format_whatif_summary(&s, change, text, sizeof text);
    EXPECT_STREQ(text,
                 "RAVLIN WHATIF OK - set adapter 2 offline: 0 of 1 device affected, 0 down, 0 spof | affected=0 down=0 "
                 "spof=0 degraded=0 no_optimized=0 unaffected=1");

    DeviceOutlook spof = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}, {"FC B", OPEN, NORMAL, 0, 0}}), adapter(0));
    add_outlook(&s, &spof);
    EXPECT_EQ(whatif_status(&s), HealthStatus::Warning);
    DeviceOutlook down = foresee(device({{"FC A", OPEN, NORMAL, 0, 0}}), adapter(0));
    add_outlook(&s, &down);
    EXPECT_EQ(whatif_status(&s), HealthStatus::Critical);
    EXPECT_EQ(s.affected, 2);
    EXPECT_EQ(s.worse, 2);
    EXPECT_EQ(s.lose_access, 1);
    PlannedChange p = path_change(7, 3);
    describe_change(&p, change, sizeof change);
    format_whatif_summary(&s, change, text, sizeof text);
    EXPECT_STREQ(text,
                 "RAVLIN WHATIF CRITICAL - set device 7 path 3 offline: 2 of 3 devices affected, 1 down, 1 spof | "
                 "affected=2 down=1 spof=1 degraded=0 no_optimized=0 unaffected=1");
    char small[16];
    format_whatif_summary(&s, change, small, sizeof small);
    EXPECT_EQ(strlen(small), sizeof small - 1);
}

}  // namespace
