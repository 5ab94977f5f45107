// The simulated driver's answers, which both builds rely on: slot states, faults
// and their use counts, aliasing buffers, and the journal.
#include <gtest/gtest.h>

#include <string.h>

#include "dsm_interface.h"
#include "sim_model.h"

namespace {

SimWorld g_world;

// A driver with two adapters (one inactive) and slots present, removed, invalid.
void make_world() {
    sim_world_clear(&g_world);
    g_world.driver_loaded = 1;
    g_world.device_slot_count = 5;
    g_world.adapter_count = 2;
    g_world.adapters[0] = SimAdapter{};
    g_world.adapters[0].active = 0;
    strcpy(g_world.adapters[0].name, "inactive");
    g_world.adapters[1].active = 1;
    g_world.adapters[1].bus_type = DSM_BUS_ISCSI;
    strcpy(g_world.adapters[1].name, "active");
    g_world.device_count = 3;
    g_world.devices[0].slot_state = SIM_SLOT_PRESENT;
    strcpy(g_world.devices[0].product_id, "TK70500X");  // a full 8 characters
    g_world.devices[0].path_count = 40;                 // more than a record holds
    g_world.devices[1].slot_state = SIM_SLOT_REMOVED;
    g_world.devices[2].slot_state = SIM_SLOT_INVALID;
}

SimReply device_info(uint32_t slot, DSM_DEVICE_RECORD* record) {
    memset(record, 0, sizeof *record);
    record->DeviceNumber = slot;
    return sim_answer(&g_world, IOCTL_DSM_GET_DEVICE_INFO, record, sizeof *record, record, sizeof *record);
}

TEST(SimModel, SlotStatesAnswerAsTheDriverDoes) {
    make_world();
    static DSM_DEVICE_RECORD record;
    SimReply present = device_info(0, &record);
    EXPECT_EQ(present.error, 0u);
    EXPECT_EQ(present.returned, sizeof record);
    EXPECT_EQ(memcmp(record.ProductId, "TK70500X", 8), 0);
    EXPECT_EQ(record.Reserved1, 0);  // nothing spills past the unterminated field
    EXPECT_EQ(record.PathCount, 32u);

    EXPECT_EQ(device_info(1, &record).error, DSM_ERROR_DEVICE_REMOVED);
    SimReply invalid = device_info(2, &record);
    EXPECT_EQ(invalid.error, 0u);
    EXPECT_EQ(invalid.returned, 4u);
    EXPECT_EQ(record.Status, DSM_STATUS_INVALID_DEVICE);
    EXPECT_EQ(device_info(3, &record).error, DSM_ERROR_FILE_NOT_FOUND);           // beyond the listed slots
    EXPECT_EQ(device_info(0xFFFFFFF0u, &record).error, DSM_ERROR_FILE_NOT_FOUND);  // beyond the table
}

TEST(SimModel, AdapterTablesListActiveOrAll) {
    make_world();
    static DSM_ADAPTER_TABLE table;
    memset(&table, 0xEE, sizeof table);  // the reply replaces every byte
    SimReply reply = sim_answer(&g_world, IOCTL_DSM_GET_ADAPTER_INFO, &table, sizeof table, &table, sizeof table);
    EXPECT_EQ(reply.returned, sizeof table);
    EXPECT_EQ(table.AdapterCount, 1);
    EXPECT_STREQ(table.Adapters[0].AdapterName, "active");
    EXPECT_EQ(table.Adapters[1].BusType, 0);
    sim_answer(&g_world, IOCTL_DSM_GET_ALL_ADAPTER_INFO, &table, sizeof table, &table, sizeof table);
    EXPECT_EQ(table.AdapterCount, 2);
    EXPECT_STREQ(table.Adapters[0].AdapterName, "inactive");

    DSM_COUNT_RECORD small;
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_GET_ADAPTER_INFO, &small, sizeof small, &small, sizeof small).error,
              DSM_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(sim_answer(&g_world, 0x84C9C000u + 4 * 6, &small, sizeof small, &small, sizeof small).error,
              DSM_ERROR_INVALID_FUNCTION);
}

TEST(SimModel, FaultsMatchTheirSlotAndRunOut) {
    make_world();
    g_world.fault_count = 2;
    g_world.faults[0] = SimFault{IOCTL_DSM_GET_DEVICE_INFO, 0, 1167, -1, -1, 2, 0, 0, 0, 0, 0};
    g_world.faults[1] = SimFault{IOCTL_DSM_GET_COUNTS, -1, 0, 4, 7, 0, 0, 0, 0, 0, 0};
    static DSM_DEVICE_RECORD record;
    EXPECT_EQ(device_info(2, &record).error, 0u);  // another slot is untouched
    EXPECT_EQ(device_info(0, &record).error, 1167u);
    EXPECT_EQ(device_info(0, &record).error, 1167u);
    EXPECT_EQ(device_info(0, &record).error, 0u);  // used up
    EXPECT_EQ(g_world.fault_count, 1);
    EXPECT_EQ(g_world.faults[0].code, IOCTL_DSM_GET_COUNTS);
    EXPECT_EQ(g_world.faults[1].code, 0u);  // the freed place is cleared

    DSM_COUNT_RECORD counts{};
    for (int i = 0; i < 3; i++) {  // an endless fault: every time
        SimReply r = sim_answer(&g_world, IOCTL_DSM_GET_COUNTS, &counts, sizeof counts, &counts, sizeof counts);
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.returned, 4u);
        EXPECT_EQ(counts.Reserved, 7u);  // the Status word the fault asked for
    }
}

TEST(SimModel, OpenAndCloseFaultsAndNoDriver) {
    make_world();
    g_world.fault_count = 1;
    g_world.faults[0] = SimFault{SIM_CODE_CLOSE, -1, 6, -1, -1, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(sim_open(&g_world), 0u);
    EXPECT_EQ(sim_close(&g_world), 6u);
    EXPECT_EQ(sim_close(&g_world), 0u);

    g_world.driver_loaded = 0;
    uint32_t before = g_world.journal.count;
    EXPECT_EQ(sim_open(&g_world), DSM_ERROR_FILE_NOT_FOUND);
    DSM_COUNT_RECORD counts{};
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_GET_COUNTS, &counts, 8, &counts, 8).error, DSM_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(g_world.journal.count, before);  // nothing reached a driver that is not there
}

TEST(SimModel, JournalKeepsTheLengthSentAndTheLatestRequests) {
    make_world();
    uint8_t body[200] = {};
    body[0] = 1;
    body[150] = 9;  // beyond the kept head
    sim_answer(&g_world, IOCTL_DSM_SEND_RTPG, body, sizeof body, body, 4);
    const SimJournalEntry* e = sim_journal_entry(&g_world, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->in_len, 200u);
    EXPECT_EQ(e->out_len, 4u);
    EXPECT_EQ(e->head_len, SIM_JOURNAL_HEAD);
    EXPECT_EQ(e->tail_nonzero, 1);
    EXPECT_EQ(g_world.rtpg_count, 1u);

    uint32_t wrong = 2;  // the refresh body must hold 1
    EXPECT_EQ(sim_answer(&g_world, IOCTL_DSM_SEND_RTPG, &wrong, 4, &wrong, 4).error, DSM_ERROR_INVALID_PARAMETER);

    DSM_COUNT_RECORD counts{};
    for (int i = 0; i < SIM_JOURNAL_SIZE + 10; i++)
        sim_answer(&g_world, IOCTL_DSM_GET_COUNTS, &counts, 8, &counts, 8);
    EXPECT_EQ(sim_journal_kept(&g_world), uint32_t(SIM_JOURNAL_SIZE));
    EXPECT_EQ(sim_journal_entry(&g_world, 0)->sequence, g_world.journal.count - SIM_JOURNAL_SIZE);
    EXPECT_EQ(sim_journal_entry(&g_world, SIM_JOURNAL_SIZE), nullptr);
    EXPECT_EQ(sim_request_code(sim_request_name(IOCTL_DSM_READ_CAPACITY)), IOCTL_DSM_READ_CAPACITY);
    EXPECT_EQ(sim_request_name(0x12345678u), nullptr);
}

}  // namespace
