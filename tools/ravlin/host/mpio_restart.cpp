// The restart of MPIO disks: walks the device slots and restarts the disk of every
// device one of whose paths names another disk than the device itself.
#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "dsm_texts.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "mpio_restart.h"
#include "output_policy.h"
#include "restart_parts.h"

namespace {


// Length of a text field that may fill its whole size without a NUL.
size_t field_length(const char* field, size_t size) {
    size_t n = 0;
    while (n < size && field[n] != '\0') n++;
    return n;
}

}  // namespace

bool record_restart_serial(const DSM_DEVICE_RECORD* record, char* serial, uint32_t* path_index) {
    char own[64];
    snprintf(own, sizeof own, "%s", device_display_name(record->DeviceName, sizeof record->DeviceName));
    uint32_t paths = record->PathCount < uint32_t(DSM_MAX_PATHS) ? record->PathCount : uint32_t(DSM_MAX_PATHS);
    for (uint32_t i = 0; i < paths; i++) {
        const char* disk = record->Paths[i].DiskName;
        size_t n = field_length(disk, sizeof record->Paths[i].DiskName);
        if (n == strlen(own) && memcmp(disk, own, n) == 0) continue;
        size_t s = field_length(record->SerialNumber, sizeof record->SerialNumber);
        memcpy(serial, record->SerialNumber, s);
        serial[s] = '\0';
        *path_index = i;
        return true;
    }
    return false;
}

void build_restart_pattern(const char* serial, char* pattern) {
    static const char kDigits[] = "0123456789ABCDEF";
    size_t n = 0;
    for (size_t i = 0; i < size_t(kRestartSerialSize) - 1 && serial[i] != '\0'; i++) {
        uint8_t c = uint8_t(serial[i]);
        pattern[n++] = kDigits[c >> 4];
        pattern[n++] = kDigits[c & 15];
    }
    pattern[n] = '\0';
}

int32_t find_restart_serial(int verbose, char* serial, bool* found) {
    *found = false;
    int32_t slot = g_settings.first_device;
    static DSM_DEVICE_RECORD record;  // 4 KiB: kept off the stack
    memset(&record, 0, sizeof record);
    record.DeviceNumber = uint32_t(slot);
    uint32_t result = dsm_control(IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record);
    if (result == 0) {
        uint32_t path = 0;
        if (!record_restart_serial(&record, serial, &path)) return 0;
        *found = true;
        if (verbose) {
            const DSM_PATH_ENTRY* p = &record.Paths[path];
            print_out("Device Name:%s\n, Path Name:%.*s\n, Serial Number:%s\n",
                      device_display_name(record.DeviceName, sizeof record.DeviceName),
                      int(field_length(p->DiskName, sizeof p->DiskName)), p->DiskName, serial);
        }
        return 0;
    }
    if (result == DSM_ERROR_DEVICE_REMOVED) {
        if (verbose && !g_settings.present_only)
            print_out("\n%s\n", get_message_text(MESSAGE(DEVICE_REMOVED), slot));
        return 3;
    }
    if (result == DSM_ERROR_FILE_NOT_FOUND) {
        if (verbose) print_out("\n%s\n", get_message_text(MESSAGE(DEVICE_INVALID), slot));
        return 3;
    }
    if (record.Status == DSM_STATUS_INVALID_DEVICE) {
        if (verbose) print_out("\n%s\n", get_message_text(MESSAGE(INVALID_DEVICE_NUMBER)));
        return 3;
    }
    if (verbose) print_out("\n%s\n", get_message_text(MESSAGE(USER_COMMAND_ERROR)));
    return -1;
}

void restart_mpio_disks(int verbose) {
    int32_t n = g_connection.device_slot_count;
    int32_t slot = 0;
    int32_t reads = 0;
    // A slot that fails for another reason is read again, but every such read
    // counts, so a driver that always fails cannot hold the walk forever.
    while (reads < n && slot < n) {
        g_settings.first_device = slot;
        char serial[kRestartSerialSize];
        bool found = false;
        int32_t result = find_restart_serial(verbose, serial, &found);
        if (result == 0) {
            slot++;
            reads++;
            // An empty serial would match every MPIO disk of the host: leave them alone.
            if (!found || serial[0] == '\0') continue;
            char pattern[kRestartPatternSize];
            build_restart_pattern(serial, pattern);
            flush_output();  // the device's lines are shown before its disks restart
            change_mpio_disk_state(pattern, PLATFORM_DICS_DISABLE);
            change_mpio_disk_state(pattern, PLATFORM_DICS_ENABLE);
        } else if (result == 3) {
            slot++;
        } else {
            reads++;
        }
    }
}
