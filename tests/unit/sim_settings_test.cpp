// The simulated driver's answers to the adapter statistics and configuration
// requests, the fault that lets requests through first, and the scenario keys
// that carry them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "dsm_interface.h"
#include "scenario_files.h"
#include "sim_model.h"
#include "sim_settings_answers.h"
#include "world_json.h"

namespace {

SimWorld g_world;
SimWorld g_copy;

// Two present devices with counters, a removed one, and two models.
void make_world() {
    sim_world_clear(&g_world);
    g_world.driver_loaded = 1;
    g_world.device_slot_count = 4;
    g_world.device_count = 3;
    for (int i = 0; i < 2; i++) {
        SimDevice* d = &g_world.devices[i];
        d->slot_state = SIM_SLOT_PRESENT;
        d->path_count = 2;
        for (int p = 0; p < 2; p++) {
            d->paths[p].select_count = 100 + p;
            d->paths[p].error_count = 7 + p;
        }
        d->io_counters[0] = 5;
        d->sector_counters[4] = 6;
        d->size_histogram[2] = 8;
    }
    g_world.devices[2].slot_state = SIM_SLOT_REMOVED;
    g_world.model_count = 2;
    g_world.models[0] = SimModel{"QVR7000", 5, 3, 10};
    g_world.models[1] = SimModel{"QVR", 2, 4, 12};
    g_world.adapter_count = 3;
    g_world.adapters[0].active = 1;
    g_world.adapters[0].io_counters[0] = 11;
    g_world.adapters[1].active = 0;  // not in the active table: numbers skip it
    g_world.adapters[1].io_counters[0] = 22;
    g_world.adapters[2].active = 1;
    g_world.adapters[2].sector_counters[4] = 4294967295u;
}

template <typename Record>
SimReply send(uint32_t code, Record* r) {
    return sim_answer(&g_world, code, r, sizeof *r, r, sizeof *r);
}

SimReply clear(uint32_t device, uint32_t kind) {
    DSM_CLEAR_REQUEST r = {0, device, device, kind};
    return send(IOCTL_DSM_CLEAR_COUNTERS, &r);
}

TEST(SimSettings, CounterResetReadsBackAsReset) {
    make_world();
    ASSERT_EQ(clear(0, DSM_CLEAR_ERRORS).error, 0u);
    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    ASSERT_EQ(send(IOCTL_DSM_GET_DEVICE_INFO, &record).error, 0u);
    EXPECT_EQ(record.Paths[0].ErrorCount, 0);
    EXPECT_EQ(record.Paths[1].ErrorCount, 0);
    EXPECT_EQ(record.Paths[1].SelectCount, 101) << "error counters only";
    EXPECT_EQ(g_world.devices[0].io_counters[0], 5u);

    ASSERT_EQ(clear(1, DSM_CLEAR_ALL).error, 0u);
    const SimDevice* d = &g_world.devices[1];
    EXPECT_EQ(d->paths[0].select_count, 0);
    EXPECT_EQ(d->paths[1].error_count, 0);
    EXPECT_EQ(d->io_counters[0], 0u);
    EXPECT_EQ(d->sector_counters[4], 0u);
    EXPECT_EQ(d->size_histogram[2], 0u);
    EXPECT_EQ(g_world.devices[0].paths[1].select_count, 101) << "the other device keeps its counts";
}

TEST(SimSettings, CounterResetRefusesWhatIsNotThere) {
    make_world();
    EXPECT_EQ(clear(2, DSM_CLEAR_ALL).error, DSM_ERROR_DEVICE_REMOVED);
    EXPECT_EQ(clear(3, DSM_CLEAR_ALL).error, DSM_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(clear(0, 3).error, DSM_ERROR_INVALID_PARAMETER);
    DSM_CLEAR_REQUEST both_present_then_removed = {0, 1, 2, DSM_CLEAR_ALL};
    EXPECT_EQ(send(IOCTL_DSM_CLEAR_COUNTERS, &both_present_then_removed).error, DSM_ERROR_DEVICE_REMOVED);
    EXPECT_EQ(g_world.devices[1].io_counters[0], 5u) << "a refused range changes nothing";
    uint8_t short_body[8] = {};
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_CLEAR_COUNTERS, short_body, 8, short_body, 8).error,
              DSM_ERROR_INSUFFICIENT_BUFFER);
}

TEST(SimSettings, PerformanceAndTraceAreKept) {
    make_world();
    uint32_t v = 1;
    EXPECT_EQ(send(IOCTL_DSM_SET_PERF, &v).error, 0u);
    EXPECT_EQ(g_world.perf_collection, 1u);
    v = 1;
    EXPECT_EQ(send(IOCTL_DSM_SET_DEVICE_PERF, &v).error, 0u);
    EXPECT_EQ(g_world.settings.device_perf[1], 1);
    EXPECT_EQ(g_world.settings.device_perf[0], 0);
    v = 2;
    EXPECT_EQ(send(IOCTL_DSM_SET_DEVICE_PERF, &v).error, DSM_ERROR_DEVICE_REMOVED);
    v = 3;
    EXPECT_EQ(send(IOCTL_DSM_SET_DEVICE_PERF, &v).error, DSM_ERROR_FILE_NOT_FOUND);
    v = DSM_TRACE_ALL;
    EXPECT_EQ(send(IOCTL_DSM_SET_TRACE, &v).error, 0u);
    EXPECT_EQ(g_world.trace_mask, 0x02240000u);
}

TEST(SimSettings, RetryAndRepeatPerModel) {
    make_world();
    DSM_RETRY_DELAY_REQUEST r = {};
    memcpy(r.DeviceModel, "QVR", 3);
    ASSERT_EQ(send(IOCTL_DSM_GET_RETRY_DELAY, &r).error, 0u);
    EXPECT_EQ(r.Status, 0u);
    EXPECT_EQ(r.RetryDelay, 2u);
    r.RetryDelay = 40;
    ASSERT_EQ(send(IOCTL_DSM_SET_RETRY_DELAY, &r).error, 0u);
    EXPECT_EQ(g_world.models[1].retry_delay, 40u);
    EXPECT_EQ(g_world.models[0].retry_delay, 5u) << "QVR is not a prefix match for QVR7000";

    DSM_REPEAT_REQUEST p = {};
    memcpy(p.DeviceModel, "QVR7000", 7);
    p.RepeatError = DSM_REPEAT_UNCHANGED;
    p.RepeatInterval = 25;
    ASSERT_EQ(send(IOCTL_DSM_SET_REPEAT, &p).error, 0u);
    EXPECT_EQ(p.Status, 0u);
    EXPECT_EQ(p.RepeatError, DSM_REPEAT_UNCHANGED) << "the buffer comes back as sent";
    EXPECT_EQ(g_world.models[0].repeat_error, 3u) << "99999 leaves the value alone";
    EXPECT_EQ(g_world.models[0].repeat_interval, 25u);
    DSM_REPEAT_REQUEST g = {};
    memcpy(g.DeviceModel, "QVR7000", 7);
    ASSERT_EQ(send(IOCTL_DSM_GET_REPEAT, &g).error, 0u);
    EXPECT_EQ(g.RepeatError, 3u);
    EXPECT_EQ(g.RepeatInterval, 25u);

    // An unknown model, or one the field holds without its terminator: the
    // request succeeds with a nonzero Status and changes nothing.
    DSM_REPEAT_REQUEST u = {};
    memcpy(u.DeviceModel, "QVR7000X", 8);
    u.RepeatError = 9;
    SimReply reply = send(IOCTL_DSM_SET_REPEAT, &u);
    EXPECT_EQ(reply.error, 0u);
    EXPECT_EQ(reply.returned, sizeof u);
    EXPECT_EQ(u.Status, SIM_STATUS_UNKNOWN_MODEL);
    EXPECT_EQ(g_world.models[0].repeat_error, 3u);
}

TEST(SimSettings, AdapterStatisticsFollowTheActiveTable) {
    make_world();
    DSM_ADAPTER_STATS s = {};
    s.AdapterNumber = 1;
    ASSERT_EQ(send(IOCTL_DSM_GET_ADAPTER_STATS, &s).error, 0u);
    EXPECT_EQ(s.AdapterNumber, 1u);
    EXPECT_EQ(s.SectorCounters[4], 4294967295u) << "the second active adapter, not the inactive one";
    EXPECT_EQ(s.IoCounters[0], 0u);
    s = DSM_ADAPTER_STATS{};
    s.AdapterNumber = 2;
    EXPECT_EQ(send(IOCTL_DSM_GET_ADAPTER_STATS, &s).error, DSM_ERROR_INVALID_PARAMETER);
}

TEST(SimSettings, FaultLetsTheFirstRequestsThrough) {
    make_world();
    g_world.fault_count = 1;
    g_world.faults[0] = SimFault{IOCTL_DSM_SET_TRACE, -1, 31, -1, -1, 1, 2, 0, 0, 0, 0};
    uint32_t mask = 0;
    EXPECT_EQ(send(IOCTL_DSM_SET_TRACE, &mask).error, 0u);
    EXPECT_EQ(send(IOCTL_DSM_SET_TRACE, &mask).error, 0u);
    EXPECT_EQ(send(IOCTL_DSM_SET_TRACE, &mask).error, 31u);
    EXPECT_EQ(g_world.fault_count, 0) << "used up";
    EXPECT_EQ(send(IOCTL_DSM_SET_TRACE, &mask).error, 0u);
}

TEST(SimSettings, ScenarioKeysRoundTrip) {
    char error[256] = "";
    ASSERT_TRUE(world_from_json(R"({"device_perf": [3, 1023, 3],
        "versions": {"dsm_build_number": "", "dsm_file_version": "1.0.0.0"},
        "faults": [{"request": "IOCTL_DSM_GET_ADAPTER_INFO", "error": 31, "after": 1}]})",
                                &g_world, error, sizeof error))
        << error;
    EXPECT_EQ(g_world.settings.device_perf[3], 1);
    EXPECT_EQ(g_world.settings.device_perf[1023], 1);
    EXPECT_EQ(g_world.versions.dsm_build_number_empty, 1);
    EXPECT_EQ(g_world.faults[0].after, 1);
    char* json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    EXPECT_NE(strstr(json, "\"dsm_build_number\": \"\""), nullptr) << json;
    ASSERT_TRUE(world_from_json(json, &g_copy, error, sizeof error)) << error;
    free(json);
    EXPECT_EQ(memcmp(&g_world, &g_copy, sizeof g_world), 0);

    // Without the value, the build number is written as null and stays absent.
    ASSERT_TRUE(world_from_json(R"({"versions": {"dsm_file_version": "1.0.0.0"}})", &g_world, error, sizeof error));
    json = world_to_json(&g_world);
    ASSERT_TRUE(world_from_json(json, &g_copy, error, sizeof error)) << error;
    free(json);
    EXPECT_EQ(g_copy.versions.dsm_present, 1);
    EXPECT_EQ(g_copy.versions.dsm_build_number_empty, 0);

    const std::string beyond = "{\"device_perf\": [" + std::to_string(SIM_PERF_DEVICE_SLOTS) + "]}";
    EXPECT_FALSE(world_from_json(beyond.c_str(), &g_world, error, sizeof error));
    EXPECT_FALSE(world_from_json(R"({"faults": [{"request": "open", "after": -1}]})", &g_world, error, sizeof error));
}

// A text ends at its first NUL: neither the bytes after an escaped NUL nor
// those of an earlier, longer value of the same key stay in the field, so the
// world writes out and reads back the same.
TEST(SimSettings, TextsEndAtTheirFirstNul) {
    char error[256] = "";
    ASSERT_TRUE(world_from_json(R"({"devices": [{"device_name": "\\Device\\Harddisk12345\\DR6",
                                                 "device_name": "\\Device\\Harddisk8\\DR8",
                                                 "serial": "AB\u0000CD"}]})",
                                &g_world, error, sizeof error))
        << error;
    const SimDevice* d = &g_world.devices[0];
    EXPECT_STREQ(d->device_name, "\\Device\\Harddisk8\\DR8");
    for (size_t i = strlen(d->device_name); i < sizeof d->device_name; i++) ASSERT_EQ(d->device_name[i], 0) << i;
    EXPECT_STREQ(d->serial_number, "AB");
    EXPECT_EQ(d->serial_number[3], 0);
    char* json = world_to_json(&g_world);
    ASSERT_TRUE(world_from_json(json, &g_copy, error, sizeof error)) << error;
    free(json);
    EXPECT_EQ(memcmp(&g_world, &g_copy, sizeof g_world), 0);

    // The input the scenario fuzzer found.
    std::string found = read_text_file(scenario_path("../../tests/fuzz/corpus/scenario_json/roundtrip-mismatch.json"));
    ASSERT_FALSE(found.empty());
    ASSERT_TRUE(world_from_json(found.c_str(), &g_world, error, sizeof error)) << error;
    json = world_to_json(&g_world);
    ASSERT_TRUE(world_from_json(json, &g_copy, error, sizeof error)) << error;
    free(json);
    EXPECT_EQ(memcmp(&g_world, &g_copy, sizeof g_world), 0);
}

}  // namespace
