// The redundancy verdicts over hand-built device records and adapter tables.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "health_summary.h"
#include "health_verdict.h"
#include "record_builders.h"
#include "report_text.h"

namespace {

const DSM_ADAPTER_TABLE kTwoGood = adapters({{"FC A", DSM_ADAPTER_NORMAL}, {"FC B", DSM_ADAPTER_NORMAL}});

DeviceHealth judge(const DSM_DEVICE_RECORD& r, bool tpgs = false, const HostPortTable* ports = nullptr,
                   const DSM_ADAPTER_TABLE& table = kTwoGood) {
    DeviceHealth h;
    judge_device(&r, &table, table.AdapterCount, HealthOptions{tpgs, ports}, &h);
    return h;
}

std::string reasons(const DeviceHealth& h) {
    std::string all;
    for (int i = 0; i < h.reason_count; i++) all += (i ? "; " : "") + std::string(h.reasons[i].text);
    return all;
}

TEST(HealthVerdict, RedundantDeviceIsOk) {
    DeviceHealth h = judge(device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 2, 1}}));
    EXPECT_EQ(h.verdict, HealthVerdict::Ok);
    EXPECT_EQ(h.active_paths, 2);
    EXPECT_EQ(h.reason_count, 0);
}

TEST(HealthVerdict, DeadPathFailsWithoutTpgsAndStandsByWithIt) {
    DSM_DEVICE_RECORD r =
        device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 2, 0}, {"FC B", DEAD, NORMAL, 3, 0}});
    DeviceHealth plain = judge(r);
    EXPECT_EQ(plain.verdict, HealthVerdict::Degraded);
    EXPECT_EQ(plain.failed_paths, 1);
    EXPECT_EQ(reasons(plain), "1 failed path (#2)");
    DeviceHealth tpgs = judge(r, true);
    EXPECT_EQ(tpgs.verdict, HealthVerdict::Ok);
    EXPECT_EQ(tpgs.failed_paths, 0);
    EXPECT_EQ(tpgs.standby_paths, 1);
}

TEST(HealthVerdict, StandbyPathMakesTheOnlyActivePathRedundant) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", DEAD, NORMAL, 2, 0}});
    EXPECT_EQ(judge(r, true).verdict, HealthVerdict::Ok);
    // Without -tpgs the same record has one path left and a failed one.
    DeviceHealth h = judge(r);
    EXPECT_EQ(h.verdict, HealthVerdict::Spof);
    EXPECT_EQ(reasons(h), "1 active path, through FC A; 1 failed path (#1)");
}

TEST(HealthVerdict, OfflineAndClosedPathsAreNeitherActiveNorFailed) {
    DeviceHealth h = judge(device({{"FC A", OPEN, NORMAL, 1, 0},
                                   {"FC B", OPEN, NORMAL, 2, 0},
                                   {"FC B", DEAD, OFFLINE, 3, 0},
                                   {"FC A", CLOSE, NORMAL, 4, 0}}));
    EXPECT_EQ(h.verdict, HealthVerdict::Ok);
    EXPECT_EQ(h.failed_paths, 0);
    EXPECT_EQ(h.active_paths, 2);
}

TEST(HealthVerdict, DownWhenNoPathIsActive) {
    EXPECT_EQ(judge(device({})).verdict, HealthVerdict::Down);
    DeviceHealth h = judge(device({{"FC A", DEAD, NORMAL, 1, 0}, {"FC B", OPEN, OFFLINE, 2, 0}}));
    EXPECT_EQ(h.verdict, HealthVerdict::Down);
    EXPECT_EQ(reasons(h), "no active path; 1 failed path (#0)");
    // Standby paths alone are not enough.
    DeviceHealth standby = judge(device({{"FC A", DEAD, NORMAL, 1, 0}, {"FC B", DEAD, NORMAL, 2, 0}}), true);
    EXPECT_EQ(standby.verdict, HealthVerdict::Down);
    EXPECT_EQ(reasons(standby), "no active path (0 active and 2 standby paths)");
}

TEST(HealthVerdict, SpofWhenEveryPathSharesOneAdapter) {
    DeviceHealth h = judge(device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC A", OPEN, NORMAL, 2, 0}}));
    EXPECT_EQ(h.verdict, HealthVerdict::Spof);
    EXPECT_EQ(reasons(h), "2 active paths, all through FC A");
    // A standby path through another adapter takes the single point away.
    DeviceHealth tpgs =
        judge(device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC A", OPEN, NORMAL, 2, 0}, {"FC B", DEAD, NORMAL, 3, 0}}), true);
    EXPECT_EQ(tpgs.verdict, HealthVerdict::Ok);
}

TEST(HealthVerdict, AdapterNamesCompareOverTheWholeUnterminatedField) {
    char long_a[49], long_b[49];
    memset(long_a, 'X', 48);
    memset(long_b, 'X', 48);
    long_a[48] = long_b[48] = '\0';
    long_b[47] = 'Y';
    DSM_DEVICE_RECORD r = device({{"", OPEN, NORMAL, 1, 0}, {"", OPEN, NORMAL, 2, 0}});
    memcpy(r.Paths[0].AdapterName, long_a, 48);
    memcpy(r.Paths[1].AdapterName, long_b, 48);
    EXPECT_EQ(judge(r).verdict, HealthVerdict::Ok);
    memcpy(r.Paths[1].AdapterName, long_a, 48);
    DeviceHealth h = judge(r);
    EXPECT_EQ(h.verdict, HealthVerdict::Spof);
    EXPECT_EQ(reasons(h), "2 active paths, all through " + std::string(long_a));
}

TEST(HealthVerdict, TargetPortsWithThePortTable) {
    static HostPortTable ports;
    memset(&ports, 0, sizeof ports);
    ports.count = 3;
    ports.port_ids[0] = 1, ports.port_ids[1] = 2, ports.port_ids[2] = 3;
    strcpy(ports.wwpns[0], "500A0B0C0D0E0F01");
    strcpy(ports.wwpns[1], "500A0B0C0D0E0F01");  // another id, the same storage port
    strcpy(ports.wwpns[2], "500A0B0C0D0E0F02");

    DSM_DEVICE_RECORD one_port = device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 2, 0}});
    DeviceHealth h = judge(one_port, false, &ports);
    EXPECT_EQ(h.verdict, HealthVerdict::Spof);
    EXPECT_EQ(reasons(h), "2 active paths, all to target port 500A0B0C0D0E0F01");
    EXPECT_EQ(judge(one_port).verdict, HealthVerdict::Ok);  // without -s nothing is known of ports

    EXPECT_EQ(judge(device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 3, 0}}), false, &ports).verdict,
              HealthVerdict::Ok);

    // An unknown port is reported, never taken for a single point of failure.
    DeviceHealth unknown = judge(device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 9, 0}}), false, &ports);
    EXPECT_EQ(unknown.verdict, HealthVerdict::Ok);
    EXPECT_EQ(unknown.unknown_target_paths, 1);
    EXPECT_EQ(reasons(unknown), "target port unknown for 1 path");
}

TEST(HealthVerdict, DegradedThroughAnAdapterInTrouble) {
    DSM_ADAPTER_TABLE table = adapters({{"FC A", DSM_ADAPTER_NORMAL}, {"FC B", DSM_ADAPTER_FAILED}});
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 2, 0}});
    DeviceHealth h = judge(r, false, nullptr, table);
    EXPECT_EQ(h.verdict, HealthVerdict::Degraded);
    EXPECT_EQ(reasons(h), "1 path through FC B, which is FAILED");
    // An entry beyond the table's count is not an adapter.
    EXPECT_EQ(judge(r, false, nullptr, adapters({{"FC A", DSM_ADAPTER_NORMAL}})).verdict, HealthVerdict::Ok);
    DeviceHealth beyond;
    judge_device(&r, &table, 1, HealthOptions{false, nullptr}, &beyond);
    EXPECT_EQ(beyond.verdict, HealthVerdict::Ok);
    // An offline path through it does not carry I/O.
    DSM_DEVICE_RECORD off =
        device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC A", OPEN, NORMAL, 3, 0}, {"FC B", OPEN, OFFLINE, 2, 0}});
    EXPECT_EQ(judge(off, false, nullptr, table).verdict, HealthVerdict::Spof);
}

TEST(HealthVerdict, NoOptimizedOnlyWhenEveryActivePathIs) {
    EXPECT_EQ(judge(device({{"FC A", OPEN, NORMAL, 1, 1}, {"FC B", OPEN, NORMAL, 2, 0}})).verdict, HealthVerdict::Ok);
    DeviceHealth h = judge(device({{"FC A", OPEN, NORMAL, 1, 1}, {"FC B", OPEN, NORMAL, 2, 1}}));
    EXPECT_EQ(h.verdict, HealthVerdict::NoOptimized);
    EXPECT_EQ(reasons(h), "all 2 active paths are non-optimized");
}

TEST(HealthVerdict, OutOfRangeValuesAreFailuresAndCountsAreClamped) {
    DSM_DEVICE_RECORD r = device({{"FC A", OPEN, NORMAL, 1, 0}, {"FC B", OPEN, NORMAL, 2, 0},
                                  {"FC B", 7, NORMAL, 3, 0}, {"FC A", OPEN, 5, 4, 0}});
    DeviceHealth h = judge(r);
    EXPECT_EQ(h.verdict, HealthVerdict::Degraded);
    EXPECT_EQ(h.failed_paths, 2);
    // A path count beyond the table reads only the 32 entries.
    DSM_DEVICE_RECORD many = device({});
    for (int i = 0; i < DSM_MAX_PATHS; i++) {
        snprintf(many.Paths[i].AdapterName, sizeof many.Paths[i].AdapterName, "FC %c", i % 2 ? 'A' : 'B');
        many.Paths[i].State = DEAD;
    }
    many.PathCount = 0xFFFFFFFF;
    DeviceHealth all = judge(many);
    EXPECT_EQ(all.failed_paths, 32);
    std::string expected = "no active path; 32 failed paths (#0";
    for (int i = 1; i < DSM_MAX_PATHS; i++) expected += " #" + std::to_string(i);
    EXPECT_EQ(reasons(all), expected + ")");
    DeviceHealth bad_table;
    DSM_ADAPTER_TABLE t = kTwoGood;
    judge_device(&r, &t, 1000, HealthOptions{false, nullptr}, &bad_table);
    EXPECT_EQ(bad_table.verdict, HealthVerdict::Degraded);
}

TEST(HealthVerdict, AdapterStatesThatAreReported) {
    DSM_ADAPTER_ENTRY e{};
    EXPECT_FALSE(adapter_reported(&e));
    e.Mode = DSM_MODE_OFFLINE;
    EXPECT_TRUE(adapter_reported(&e));
    EXPECT_FALSE(adapter_in_trouble(&e));
    e.Mode = 9;
    EXPECT_TRUE(adapter_in_trouble(&e));
    e.Mode = DSM_MODE_NORMAL;
    e.State = DSM_ADAPTER_DEGRADED;
    EXPECT_TRUE(adapter_in_trouble(&e));
    e.State = 17;
    EXPECT_TRUE(adapter_in_trouble(&e));
}

TEST(HealthReport, ReportTextKeepsOneLine) {
    char out[16];
    report_text("ab\ncd|e\x7f", 8, out, sizeof out);
    EXPECT_STREQ(out, "ab?cd?e?");
    char unterminated[4] = {'W', 'X', 'Y', 'Z'};
    report_text(unterminated, sizeof unterminated, out, sizeof out);
    EXPECT_STREQ(out, "WXYZ");
    report_text(unterminated, sizeof unterminated, out, 3);
    EXPECT_STREQ(out, "WX");
}

TEST(HealthReport, SummaryLineAndStatus) {
    HealthSummary s{};
    char line[512];
    format_health_summary(&s, line, sizeof line);
    EXPECT_STREQ(line, "RAVLIN HEALTH OK - 0 devices, 0 active paths | devices=0 down=0 spof=0 degraded=0 "
                       "no_optimized=0 active_paths=0 failed_paths=0 standby_paths=0");
    DeviceHealth ok{};
    ok.active_paths = 8;
    for (int i = 0; i < 12; i++) add_device_health(&s, &ok);
    format_health_summary(&s, line, sizeof line);
    EXPECT_STREQ(line, "RAVLIN HEALTH OK - 12 devices, 96 active paths | devices=12 down=0 spof=0 degraded=0 "
                       "no_optimized=0 active_paths=96 failed_paths=0 standby_paths=0");
    EXPECT_EQ(health_status(&s), HealthStatus::Ok);

    // A failed path always warns, whatever the verdicts say.
    HealthSummary failed = s;
    failed.failed_paths = 1;
    EXPECT_EQ(health_status(&failed), HealthStatus::Warning);
    HealthSummary adapter = s;
    adapter.adapters_reported = 1;
    EXPECT_EQ(health_status(&adapter), HealthStatus::Ok);  // set offline by the administrator
    adapter.adapters_in_trouble = 1;
    EXPECT_EQ(health_status(&adapter), HealthStatus::Warning);

    DeviceHealth down{};
    down.verdict = HealthVerdict::Down;
    down.failed_paths = 2;
    add_device_health(&s, &down);
    EXPECT_EQ(health_status(&s), HealthStatus::Critical);
    format_health_summary(&s, line, sizeof line);
    EXPECT_STREQ(line, "RAVLIN HEALTH CRITICAL - 13 devices, 96 active paths, 1 down, 2 failed paths | devices=13 "
                       "down=1 spof=0 degraded=0 no_optimized=0 active_paths=96 failed_paths=2 standby_paths=0");
    // Cut, never overrun.
    char small[20];
    format_health_summary(&s, small, sizeof small);
    EXPECT_STREQ(small, "RAVLIN HEALTH CRITI");
}

}  // namespace
