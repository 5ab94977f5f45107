// Fuzzes the health verdict with any device record and adapter table bytes, with
// and without -tpgs and a port table: the counts stay within the 32 paths, DOWN
// is exactly "no active path", and every reason and device line is bounded and
// printable on one line. The same record after a change that takes an adapter or
// a path offline (picked by the option byte) never gains a path of any kind, keeps
// its verdict when untouched, and its what-if line is printable on one line.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "change_outlook.h"
#include "health_summary.h"
#include "health_verdict.h"
#include "report_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DSM_DEVICE_RECORD record;
    static DSM_ADAPTER_TABLE table;
    static HostPortTable ports;
    if (size < 2) return 0;
    uint8_t options = data[0];
    data++;
    size--;
    memset(&record, 0, sizeof record);
    memset(&table, 0, sizeof table);
    memset(&ports, 0, sizeof ports);
    size_t n = size < sizeof record ? size : sizeof record;
    memcpy(&record, data, n);
    data += n;
    size -= n;
    n = size < sizeof table ? size : sizeof table;
    memcpy(&table, data, n);
    // A small port table from the record's own bytes, so that ports match sometimes.
    ports.count = options >> 4;
    for (int32_t i = 0; i < ports.count; i++) {
        ports.port_ids[i] = record.Paths[i].ScsiAddress[2] ^ uint8_t(i & 1);
        memcpy(ports.wwpns[i], record.Paths[i].DiskName, sizeof record.Paths[i].DiskName);
    }

    DeviceHealth h;
    HealthOptions o{(options & 1) != 0, (options & 2) != 0 ? &ports : nullptr};
    judge_device(&record, &table, table.AdapterCount, o, &h);
    if (h.active_paths < 0 || h.failed_paths < 0 || h.standby_paths < 0) __builtin_trap();
    if (h.active_paths + h.failed_paths + h.standby_paths > DSM_MAX_PATHS) __builtin_trap();
    if ((h.verdict == HealthVerdict::Down) != (h.active_paths == 0)) __builtin_trap();
    if (h.failed_paths > 0 && h.verdict == HealthVerdict::Ok) __builtin_trap();
    if (h.reason_count < 0 || h.reason_count > kHealthReasonMax) __builtin_trap();
    for (int32_t i = 0; i < h.reason_count; i++)
        if (strnlen(h.reasons[i].text, kHealthReasonTextSize) == kHealthReasonTextSize) __builtin_trap();

    char serial[sizeof record.SerialNumber + 1];
    report_text(record.SerialNumber, sizeof record.SerialNumber, serial, sizeof serial);
    char line[kHealthReasonMax * kHealthReasonTextSize + 256];
    format_device_line(int32_t(record.DeviceNumber), "Disk1 Part1", serial, &h, line, sizeof line);
    for (size_t i = 0; line[i] != '\0'; i++)
        if (static_cast<unsigned char>(line[i]) < 0x20) __builtin_trap();

    // Bits 2-3: no change, an adapter (number from the port-count bits, past the
    // table too), or a path (the same number) of this device or of another one.
    int32_t which = options >> 4;
    PlannedChange change;
    switch ((options >> 2) & 3) {
    case 0: return 0;
    case 1: change = adapter_change(&table, table.AdapterCount, which * 3 - 4); break;
    case 2: change = path_change(int32_t(record.DeviceNumber & 0xFFFF), which * 3 - 4); break;
    default: change = path_change(int32_t(record.DeviceNumber & 0xFFFF) + 1, which); break;
    }
    static DSM_ADAPTER_TABLE after_table;
    table_after_change(&table, table.AdapterCount, &change, &after_table);
    static DeviceOutlook w;
    int32_t slot = int32_t(record.DeviceNumber & 0xFFFF);
    foresee_device(&record, slot, &table, &after_table, table.AdapterCount, &change, o, &w);
    const DeviceHealth* b = &w.before;
    const DeviceHealth* a = &w.after;
    if (w.paths_taken < 0 || w.paths_taken > DSM_MAX_PATHS) __builtin_trap();
    if (a->active_paths > b->active_paths || a->standby_paths > b->standby_paths ||
        a->failed_paths > b->failed_paths)
        __builtin_trap();
    if (w.paths_taken == 0 && a->verdict != b->verdict) __builtin_trap();
    if (outlook_loses_access(&w) && !outlook_worse(&w)) __builtin_trap();
    format_outlook_line(slot, "Disk1 Part1", serial, &w, line, sizeof line);
    for (size_t i = 0; line[i] != '\0'; i++)
        if (static_cast<unsigned char>(line[i]) < 0x20) __builtin_trap();
    return 0;
}