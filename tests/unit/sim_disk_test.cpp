// The simulated disks: how a scenario's "disks" reads and writes back, what it
// refuses, and how a disk answers requests that are not the usual INQUIRY.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "scsi_disk.h"
#include "sim_model.h"
#include "world_json.h"

namespace {

SimWorld g_world;
SimWorld g_back;

std::string rejection(const std::string& text) {
    char error[256] = "";
    if (world_from_json(text.c_str(), &g_world, error, sizeof error)) return "(accepted)";
    return error;
}

void load(const std::string& text) { ASSERT_EQ(rejection(text), "(accepted)"); }

TEST(SimDiskJson, PagesByMeaningAndAsBytesReadAndWriteBack) {
    load(R"({"disks": [
        {"scsi_address": "04-00-01-03", "vdisk_name": "vol-a"},
        {"number": 7, "supported_pages": ["00", "d0"], "page_d0": "00 d0 02 61 62 63", "reject": ["00"],
         "open_error": 5, "address_error": 31, "pass_through_error": 1167},
        {"page_00": ""}
    ]})");
    const SimDisks& d = g_world.disks;
    ASSERT_EQ(d.count, 3);
    EXPECT_EQ(d.disks[0].number, 1u);
    EXPECT_EQ(d.disks[1].number, 7u);
    EXPECT_EQ(d.disks[2].number, 8u) << "numbers follow the previous disk";
    const uint8_t page00[] = {0, 0, 0, 4, 0x00, 0x80, 0x83, 0xd0};
    ASSERT_EQ(d.disks[0].page_00_length, sizeof page00);
    EXPECT_EQ(memcmp(d.disks[0].page_00, page00, sizeof page00), 0);
    const uint8_t paged0[] = {0, 0xd0, 5, 'v', 'o', 'l', '-', 'a'};
    ASSERT_EQ(d.disks[0].page_d0_length, sizeof paged0);
    EXPECT_EQ(memcmp(d.disks[0].page_d0, paged0, sizeof paged0), 0);
    EXPECT_EQ(d.disks[1].page_00[3], 2);
    EXPECT_EQ(d.disks[1].page_d0_length, 6);
    EXPECT_EQ(d.disks[1].reject, SIM_DISK_REJECT_00);
    EXPECT_EQ(d.disks[2].page_00_length, 0);
    EXPECT_EQ(d.disks[2].page_00[3], 0) << "raw bytes replace the default page entirely";

    char* json = world_to_json(&g_world);
    ASSERT_NE(json, nullptr);
    char error[256] = "";
    ASSERT_TRUE(world_from_json(json, &g_back, error, sizeof error)) << error;
    free(json);
    EXPECT_EQ(memcmp(&g_world.disks, &g_back.disks, sizeof g_world.disks), 0);
}

TEST(SimDiskJson, RefusesWhatDoesNotFit) {
    EXPECT_EQ(rejection(R"({"disks": [{"number": 2}, {"number": 2}]})"), "disks[1].number: disk 2 is listed twice");
    EXPECT_EQ(rejection(R"({"disks": [{"page_d0": "00 d0 0"}]})"),
              "disks[0].page_d0: hex bytes such as \"00 d0 03 61 62 63\" expected");
    std::string too_long;
    for (int i = 0; i < 256; i++) too_long += "00 ";
    EXPECT_EQ(rejection(R"({"disks": [{"page_00": ")" + too_long + R"("}]})"), "disks[0].page_00: more than 255 bytes");
    EXPECT_EQ(rejection(R"({"disks": [{"supported_pages": ["d"]}]})"),
              "disks[0].supported_pages: page codes such as \"d0\" expected");
    EXPECT_EQ(rejection(R"({"disks": [{"vdisk_name": ")" + std::string(253, 'n') + R"("}]})").substr(0, 21),
              "disks[0].vdisk_name: ");
    EXPECT_EQ(rejection(R"({"disks": [{"reject": ["80"]}]})").substr(0, 17), "disks[0].reject: ");
}

// An INQUIRY for `page` to path/target/LUN `address`, in a 640-byte work buffer.
void inquiry(uint8_t* buffer, uint8_t page, const uint8_t address[3]) {
    memset(buffer, 0, kVpdBufferSize);
    DSM_SCSI_PASS_THROUGH64 h = {};
    h.Length = sizeof h;
    h.PathId = address[0];
    h.TargetId = address[1];
    h.Lun = address[2];
    h.CdbLength = 6;
    h.SenseInfoLength = 32;
    h.DataIn = kScsiDataIn;
    h.DataTransferLength = 255;
    h.DataBufferOffset = kVpdDataOffset;
    h.SenseInfoOffset = kVpdSenseOffset;
    h.Cdb[0] = kScsiInquiry;
    h.Cdb[1] = 1;
    h.Cdb[2] = page;
    h.Cdb[4] = 255;
    memcpy(buffer, &h, sizeof h);
}

TEST(SimDiskAnswers, OnlyTheDiskItselfGetsItsPages) {
    load(R"({"disks": [{"number": 3, "scsi_address": "04-00-01-03", "vdisk_name": "vol-a"}]})");
    uint8_t buffer[kVpdBufferSize];
    const uint8_t right[3] = {0, 1, 3};
    const uint8_t wrong[3] = {0, 1, 4};

    inquiry(buffer, 0xD0, right);
    SimReply r = sim_disk_answer(&g_world, 3, IOCTL_SCSI_PASS_THROUGH, buffer, 56, buffer, 379);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.returned, kVpdDataOffset + 8);
    EXPECT_EQ(memcmp(buffer + kVpdDataOffset, "\x00\xd0\x05vol-a", 8), 0);

    // Another LUN, or a page the disk does not have: check condition and no data.
    for (int attempt = 0; attempt < 2; attempt++) {
        inquiry(buffer, attempt == 0 ? 0xD0 : 0x80, attempt == 0 ? wrong : right);
        r = sim_disk_answer(&g_world, 3, IOCTL_SCSI_PASS_THROUGH, buffer, 56, buffer, 379);
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(buffer[2], kScsiStatusCheckCondition);
        EXPECT_EQ(buffer[kVpdSenseOffset + 2], 0x05);
        for (uint32_t k = 0; k < 255; k++) ASSERT_EQ(buffer[kVpdDataOffset + k], 0) << k;
    }

    // A data area the output cannot hold, or a header cut short, is refused.
    inquiry(buffer, 0xD0, right);
    EXPECT_EQ(sim_disk_answer(&g_world, 3, IOCTL_SCSI_PASS_THROUGH, buffer, 56, buffer, 300).error, 87u);
    EXPECT_EQ(sim_disk_answer(&g_world, 3, IOCTL_SCSI_PASS_THROUGH, buffer, 40, buffer, 379).error, 87u);
    EXPECT_EQ(sim_disk_answer(&g_world, 4, IOCTL_SCSI_GET_ADDRESS, buffer, 8, buffer, 8).error, 2u);
    EXPECT_EQ(sim_disk_open(&g_world, 4), 2u);
}


// An INQUIRY with EVPD for `page` through the 64-bit pass-through header, as ravlin sends it.
SimReply inquire(uint32_t disk, uint8_t page) {
    static uint8_t buffer[400];
    memset(buffer, 0, sizeof buffer);
    DSM_SCSI_PASS_THROUGH64 h = {};
    h.Length = sizeof h;
    h.CdbLength = 6;
    h.DataIn = kScsiDataIn;
    h.DataTransferLength = 255;
    h.DataBufferOffset = 124;
    h.SenseInfoLength = 32;
    h.SenseInfoOffset = 60;
    h.Cdb[0] = kScsiInquiry;
    h.Cdb[1] = 1;
    h.Cdb[2] = page;
    h.Cdb[4] = 255;
    memcpy(buffer, &h, sizeof h);
    return sim_disk_answer(&g_world, disk, IOCTL_SCSI_PASS_THROUGH, buffer, sizeof h, buffer, sizeof buffer);
}

TEST(SimDiskFaults, HitTheRequestPageAndDiskTheyName) {
    load(R"({"disks": [{"number": 1}, {"number": 2}],
        "faults": [{"request": "IOCTL_SCSI_PASS_THROUGH", "slot": 2, "page": 208, "error": 1167, "times": 1, "after": 1},
                   {"request": "disk_open", "slot": 1, "error": 5, "after": 1, "times": 1},
                   {"request": "disk_close", "error": 6, "times": 1}]})");
    // Page 0x00 reads and disk 1 never count against the 0xD0 fault's `after`.
    EXPECT_EQ(inquire(2, 0x00).error, 0u);
    EXPECT_EQ(inquire(1, 0xD0).error, 0u);
    EXPECT_EQ(inquire(2, 0xD0).error, 0u);
    EXPECT_EQ(inquire(2, 0x00).error, 0u);
    EXPECT_EQ(inquire(2, 0xD0).error, 1167u);
    EXPECT_EQ(inquire(2, 0xD0).error, 0u) << "one time only";

    uint32_t before = g_world.journal.count;
    EXPECT_EQ(sim_disk_open(&g_world, 1), 0u);
    EXPECT_EQ(sim_disk_close(&g_world, 1), 6u);
    EXPECT_EQ(sim_disk_close(&g_world, 1), 0u);
    EXPECT_EQ(sim_disk_open(&g_world, 1), 5u);
    EXPECT_EQ(sim_disk_open(&g_world, 1), 0u);
    EXPECT_EQ(g_world.fault_count, 0);
    // Two good opens and two closes; the refused open is not journalled, the failed close is.
    ASSERT_EQ(g_world.journal.count - before, 4u);
    EXPECT_EQ(sim_journal_entry(&g_world, sim_journal_kept(&g_world) - 3)->error, 6u);
}

TEST(SimDiskFaults, ARefusedOpenIsCountedOnceWhereTheHostCannotFailIt) {
    load(R"({"disks": [{"number": 1}, {"number": 2, "open_error": 2}],
        "faults": [{"request": "disk_open", "slot": 1, "error": 5, "after": 1, "times": 2}]})");
    EXPECT_FALSE(sim_disk_open_refused(&g_world, 1)) << "the first open still passes";
    EXPECT_TRUE(sim_disk_open_refused(&g_world, 2)) << "a disk that never opens";
    EXPECT_TRUE(sim_disk_open_refused(&g_world, 9)) << "a disk the world does not have";
    EXPECT_EQ(sim_disk_open(&g_world, 1), 0u);
    EXPECT_TRUE(sim_disk_open_refused(&g_world, 1));
    EXPECT_TRUE(sim_disk_open_refused(&g_world, 1));
    EXPECT_FALSE(sim_disk_open_refused(&g_world, 1)) << "both uses are spent";
    EXPECT_EQ(sim_disk_open(&g_world, 1), 0u);
}

}  // namespace
