// Checks the test driver from a client's side, the way ravlin meets it: the
// device name, full and short replies, the Windows error codes that must arrive
// unchanged, a failing open, and the private requests (world and HBA snapshot).
//   driver_check             every check (loads worlds of its own; the driver must run)
//   driver_check fresh       only that the driver holds an empty world (just started)
//   driver_check no-dsm      only that \\.\RAVLIN fails to open with error 2
//   driver_check no-device   only that \\.\RAVLIN and \\.\RAVLINSIM fail to open with error 2
// Prints one line per failed check and a closing "N passed, N failed"; exits 1 on any failure.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "dsm_interface.h"
#include "sim_control.h"
#include "sim_hba.h"
#include "sim_model.h"

namespace {

int g_passed = 0;
int g_failed = 0;
SimWorld g_world;  // the world a check loads
SimWorld g_back;   // a world read back

void check(bool ok, const char* what, unsigned long got = 0, unsigned long expected = 0) {
    if (ok) {
        g_passed++;
        return;
    }
    g_failed++;
    printf("FAIL %s (got %lu, expected %lu)\n", what, got, expected);
}

HANDLE open_device(const char* path, DWORD* error) {
    SetLastError(0);
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    *error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return h;
}

// One request; returns the call's result, with the last error and the byte count.
bool request(HANDLE h, DWORD code, void* in, DWORD in_len, void* out, DWORD out_len, DWORD* returned,
             DWORD* error) {
    *returned = 0xDEAD;
    SetLastError(0);
    BOOL ok = DeviceIoControl(h, code, in, in_len, out, out_len, returned, nullptr);
    *error = ok ? 0 : GetLastError();
    return ok != 0;
}

bool load_world(const SimWorld* world) {
    DWORD error = 0, returned = 0;
    HANDLE h = open_device(RAVLINSIM_DEVICE_PATH, &error);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = request(h, RAVLINSIM_LOAD_WORLD, const_cast<SimWorld*>(world), sizeof *world, nullptr, 0, &returned,
                      &error);
    CloseHandle(h);
    return ok;
}

bool read_world(SimWorld* world) {
    DWORD error = 0, returned = 0;
    HANDLE h = open_device(RAVLINSIM_DEVICE_PATH, &error);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = request(h, RAVLINSIM_READ_WORLD, nullptr, 0, world, sizeof *world, &returned, &error);
    CloseHandle(h);
    return ok && returned == sizeof *world;
}

void copy_text(char* dst, size_t size, const char* src) { snprintf(dst, size, "%s", src); }

// Three slots (present, removed, invalid) behind five counted ones, an active
// and an inactive adapter, no faults.
void build_world() {
    sim_world_clear(&g_world);
    g_world.driver_loaded = 1;
    g_world.device_slot_count = 5;
    g_world.device_count = 3;
    g_world.devices[0].slot_state = SIM_SLOT_PRESENT;
    copy_text(g_world.devices[0].device_name, sizeof g_world.devices[0].device_name, "Disk1 Part0");
    g_world.devices[1].slot_state = SIM_SLOT_REMOVED;
    g_world.devices[2].slot_state = SIM_SLOT_INVALID;
    g_world.adapter_count = 2;
    g_world.adapters[0].active = 1;
    copy_text(g_world.adapters[0].name, sizeof g_world.adapters[0].name, "FC HBA Port 0");
    copy_text(g_world.adapters[1].name, sizeof g_world.adapters[1].name, "SAS inactive");
}

void add_fault(uint32_t code, uint32_t error, int32_t reply_bytes) {
    SimFault* f = &g_world.faults[g_world.fault_count++];
    f->code = code;
    f->slot = -1;
    f->error = error;
    f->reply_bytes = reply_bytes;
    f->status = -1;
    f->remaining = 0;
}

// The open itself: the exact name, and the errors a failing open must give.
void check_open() {
    build_world();
    check(load_world(&g_world), "load a world");
    DWORD error = 0;
    HANDLE h = open_device("\\\\.\\RAVLIN", &error);
    check(h != INVALID_HANDLE_VALUE, "open \\\\.\\RAVLIN", error, 0);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = open_device("\\\\.\\RAVLINX", &error);
    check(h == INVALID_HANDLE_VALUE && error == 2, "a longer name does not open", error, 2);
    h = open_device("\\\\.\\RAVLI", &error);
    check(h == INVALID_HANDLE_VALUE && error == 2, "a shorter name does not open", error, 2);

    g_world.driver_loaded = 0;
    check(load_world(&g_world), "load a world without driver");
    h = open_device("\\\\.\\RAVLIN", &error);
    check(h == INVALID_HANDLE_VALUE && error == 2, "no driver in the world: open fails with 2", error, 2);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    // Under Wine the driver cannot fail CreateFileA itself; the error must then
    // come with the first request, and the model must see only the open.
    const uint32_t open_errors[] = {5, 1167, 31};
    for (uint32_t e : open_errors) {
        build_world();
        add_fault(SIM_CODE_OPEN, e, -1);
        load_world(&g_world);
        h = open_device("\\\\.\\RAVLIN", &error);
        if (h != INVALID_HANDLE_VALUE) {
            DSM_COUNT_RECORD count = {};
            DWORD returned = 0;
            request(h, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count, &returned, &error);
            CloseHandle(h);
        }
        check(error == e, "an open fault's error reaches the caller", error, e);
        check(read_world(&g_back) && sim_journal_kept(&g_back) == 1, "after a failed open only the open is journalled",
              sim_journal_kept(&g_back), 1);
        const SimJournalEntry* j = sim_journal_entry(&g_back, 0);
        check(j != nullptr && j->code == SIM_CODE_OPEN && j->error == e, "the failed open is journalled with its error");
    }
}

// Full replies, a short reply, and the Status-3 reply of an invalid slot.
void check_replies() {
    build_world();
    load_world(&g_world);
    DWORD error = 0, returned = 0;
    HANDLE h = open_device("\\\\.\\RAVLIN", &error);
    if (h == INVALID_HANDLE_VALUE) {
        check(false, "open for the reply checks", error, 0);
        return;
    }
    DSM_COUNT_RECORD count = {};
    bool ok = request(h, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count, &returned, &error);
    check(ok && returned == sizeof count, "GET_COUNTS returns the whole record", returned, sizeof count);
    check(count.Count == 5, "GET_COUNTS reports the slot count", count.Count, 5);

    static DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    ok = request(h, IOCTL_DSM_GET_ADAPTER_INFO, &table, sizeof table, &table, sizeof table, &returned, &error);
    check(ok && returned == sizeof table, "GET_ADAPTER_INFO returns 2696 bytes", returned, sizeof table);
    check(table.AdapterCount == 1, "only the active adapter is listed", table.AdapterCount, 1);
    check(strcmp(table.Adapters[0].AdapterName, "FC HBA Port 0") == 0, "the adapter's name arrives");

    static DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    record.DeviceNumber = 2;
    ok = request(h, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record, &returned, &error);
    check(ok && returned == 4 && record.Status == DSM_STATUS_INVALID_DEVICE, "an invalid slot: Status 3 in 4 bytes",
          returned, 4);
    memset(&record, 0, sizeof record);
    record.DeviceNumber = 1;
    ok = request(h, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record, &returned, &error);
    check(!ok && error == DSM_ERROR_DEVICE_REMOVED, "a removed slot fails with 1617", error, 1617);
    record.DeviceNumber = 4;
    ok = request(h, IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record, &record, sizeof record, &returned, &error);
    check(!ok && error == DSM_ERROR_FILE_NOT_FOUND, "an empty slot fails with 2", error, 2);

    // Not buffered: there is no system buffer to answer in.
    const DWORD neither = (DSM_DEVICE_TYPE << 16) | (3u << 14) | (1u << 2) | 3u;
    ok = request(h, neither, &count, sizeof count, &count, sizeof count, &returned, &error);
    check(!ok && error == 1, "a request that is not buffered fails with 1", error, 1);
    CloseHandle(h);

    // A reply cut short by a fault: still a success, with fewer bytes.
    build_world();
    add_fault(IOCTL_DSM_GET_COUNTS, 0, 4);
    load_world(&g_world);
    h = open_device("\\\\.\\RAVLIN", &error);
    count = DSM_COUNT_RECORD{};
    ok = h != INVALID_HANDLE_VALUE &&
         request(h, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count, &returned, &error);
    check(ok, "a short reply is still a success", error, 0);
    check(returned == 4, "a short reply carries fewer bytes", returned, 4);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Every error the model answers with must reach the caller as the same code.
void check_errors() {
    const uint32_t errors[] = {2, 1617, 1167, 31, 1, 87, 122, 24, 5, 50, 1117, 1359, 0xE0000001u, 0xA0000005u};
    for (uint32_t e : errors) {
        build_world();
        add_fault(IOCTL_DSM_GET_COUNTS, e, -1);
        load_world(&g_world);
        DWORD error = 0, returned = 0;
        HANDLE h = open_device("\\\\.\\RAVLIN", &error);
        if (h == INVALID_HANDLE_VALUE) {
            check(false, "open for the error checks", error, 0);
            return;
        }
        DSM_COUNT_RECORD count = {};
        bool ok = request(h, IOCTL_DSM_GET_COUNTS, &count, sizeof count, &count, sizeof count, &returned, &error);
        char what[80];
        snprintf(what, sizeof what, "error %lu arrives unchanged", static_cast<unsigned long>(e));
        check(!ok && error == e, what, error, e);
        // The count is not written on an error under Wine: callers must set it.
        check(returned == 0xDEAD || returned == 0, "a failed request returns no bytes", returned, 0);
        CloseHandle(h);
    }
}

// What the model received: the caller's input bytes and both lengths, the open
// and the close; and the world round trip.
void check_journal_and_world() {
    build_world();
    load_world(&g_world);
    DWORD error = 0, returned = 0;
    HANDLE h = open_device("\\\\.\\RAVLIN", &error);
    if (h == INVALID_HANDLE_VALUE) {
        check(false, "open for the journal checks", error, 0);
        return;
    }
    const uint8_t sent[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    uint8_t buffer[8];
    memset(buffer, 0xAA, sizeof buffer);  // the last 4 bytes are room, not input
    request(h, IOCTL_DSM_GET_COUNTS, buffer, 4, buffer, sizeof buffer, &returned, &error);
    CloseHandle(h);
    check(read_world(&g_back), "read the world back");
    uint32_t kept = sim_journal_kept(&g_back);
    check(kept == 3, "open, request and close are journalled", kept, 3);
    const SimJournalEntry* e = sim_journal_entry(&g_back, 1);
    if (e != nullptr) {
        check(e->code == IOCTL_DSM_GET_COUNTS && e->in_len == 4 && e->out_len == 8, "both lengths reach the model",
              e->in_len, 4);
        check(e->head_len == 4 && memcmp(e->head, sent, 4) == 0 && !e->tail_nonzero,
              "exactly the caller's input reaches the model");
    }
    const SimJournalEntry* first = sim_journal_entry(&g_back, 0);
    const SimJournalEntry* last = sim_journal_entry(&g_back, 2);
    check(first != nullptr && first->code == SIM_CODE_OPEN, "the open comes first");
    check(last != nullptr && last->code == SIM_CODE_CLOSE, "the close comes last");

    // Loaded and read back with nothing in between: the same bytes.
    build_world();
    load_world(&g_world);
    check(read_world(&g_back) && memcmp(&g_world, &g_back, sizeof g_world) == 0, "a world reads back unchanged");

    // Counts past the tables are clamped, so the model never indexes beyond them.
    build_world();
    g_world.fault_count = 1000;
    g_world.device_count = -7;
    g_world.devices[0].path_count = 99;
    load_world(&g_world);
    check(read_world(&g_back), "read a clamped world");
    check(g_back.fault_count == SIM_MAX_FAULTS, "fault count clamped", g_back.fault_count, SIM_MAX_FAULTS);
    check(g_back.device_count == 0, "negative device count clamped", g_back.device_count, 0);
    check(g_back.devices[0].path_count == SIM_MAX_PATHS, "path count clamped", g_back.devices[0].path_count,
          SIM_MAX_PATHS);
}

// The private requests take exactly one length and nothing else.
void check_private_requests() {
    DWORD error = 0, returned = 0;
    HANDLE h = open_device(RAVLINSIM_DEVICE_PATH, &error);
    check(h != INVALID_HANDLE_VALUE, "the simulator device opens", error, 0);
    if (h == INVALID_HANDLE_VALUE) return;
    bool ok = request(h, RAVLINSIM_LOAD_WORLD, &g_world, sizeof g_world - 1, nullptr, 0, &returned, &error);
    check(!ok && error == 24, "a short world is refused with 24", error, 24);
    ok = request(h, RAVLINSIM_READ_WORLD, nullptr, 0, &g_back, sizeof g_back - 1, &returned, &error);
    check(!ok && error == 24, "reading into too little room is refused with 24", error, 24);
    ok = request(h, RAVLINSIM_REQUEST(0x8FF), nullptr, 0, nullptr, 0, &returned, &error);
    check(!ok && error == 1, "an unknown private request fails with 1", error, 1);
    ok = request(h, IOCTL_DSM_GET_COUNTS, &returned, 4, &returned, 4, &returned, &error);
    check(!ok && error == 1, "DSM requests are not answered on the simulator device", error, 1);
    CloseHandle(h);
}

SimHbaSnapshot g_hba_expected;
SimHbaSnapshot g_hba_back;

// The HBA snapshot request: its one length, and the model's snapshot of the
// loaded world byte for byte, whether or not the world has a DSM driver.
void check_hba_request() {
    sim_world_clear(&g_world);
    SimHba* hba = &g_world.hba;
    hba->version = 3;
    hba->adapter_count = 2;
    copy_text(hba->adapters[1].name, sizeof hba->adapters[1].name, "HBA-B");
    hba->adapters[1].port_count = 99;  // clamped to the table, here as in the model
    hba->adapters[1].reported_ports = -1;
    hba->adapters[1].ports[3].fc_id = 0x010400;
    hba->adapters[1].ports[3].discovered_count = 1;
    hba->adapters[1].ports[3].discovered[0].speed = 8;
    check(load_world(&g_world), "a world without a DSM driver but with HBA adapters loads");
    sim_hba_snapshot(&g_world, &g_hba_expected);

    DWORD error = 0, returned = 0;
    HANDLE h = open_device(RAVLINSIM_DEVICE_PATH, &error);
    if (h == INVALID_HANDLE_VALUE) return;
    bool ok = request(h, RAVLINSIM_READ_HBA, nullptr, 0, &g_hba_back, sizeof g_hba_back - 1, &returned, &error);
    check(!ok && error == 24, "reading the HBA snapshot into too little room is refused with 24", error, 24);
    memset(&g_hba_back, 0xCC, sizeof g_hba_back);
    ok = request(h, RAVLINSIM_READ_HBA, nullptr, 0, &g_hba_back, sizeof g_hba_back, &returned, &error);
    check(ok && returned == sizeof g_hba_back, "the HBA snapshot is read whole", returned, sizeof g_hba_back);
    check(memcmp(&g_hba_back, &g_hba_expected, sizeof g_hba_back) == 0, "the driver's snapshot is the model's");
    check(g_hba_back.adapters[1].port_count == 4 && g_hba_back.adapters[1].reported_ports == 4,
          "a port count beyond the table is clamped", g_hba_back.adapters[1].port_count, 4);
    CloseHandle(h);
    check(read_world(&g_back) && g_back.journal.count == 0, "reading the snapshot leaves the journal alone",
          g_back.journal.count, 0);
}

void check_no_device() {
    DWORD error = 0;
    HANDLE h = open_device("\\\\.\\RAVLIN", &error);
    check(h == INVALID_HANDLE_VALUE && error == 2, "driver stopped: \\\\.\\RAVLIN fails with 2", error, 2);
    h = open_device(RAVLINSIM_DEVICE_PATH, &error);
    check(h == INVALID_HANDLE_VALUE && error == 2, "driver stopped: \\\\.\\RAVLINSIM fails with 2", error, 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "no-device") == 0) {
        check_no_device();
    } else if (argc == 2 && strcmp(argv[1], "no-dsm") == 0) {
        DWORD error = 0;
        HANDLE h = open_device("\\\\.\\RAVLIN", &error);
        check(h == INVALID_HANDLE_VALUE && error == 2, "no driver in the world: open fails with 2", error, 2);
    } else if (argc == 2 && strcmp(argv[1], "fresh") == 0) {
        // Just started: the driver holds an empty world, so there is no DSM yet.
        DWORD error = 0;
        HANDLE h = open_device("\\\\.\\RAVLIN", &error);
        check(h == INVALID_HANDLE_VALUE && error == 2, "a fresh driver has no world: open fails with 2", error, 2);
        check(read_world(&g_back) && g_back.driver_loaded == 0, "a fresh driver's world is empty");
    } else {
        check_open();
        check_replies();
        check_errors();
        check_journal_and_world();
        check_private_requests();
        check_hba_request();
        sim_world_clear(&g_world);
        load_world(&g_world);  // leave no driver behind, like a fresh start
    }
    printf("driver_check: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
