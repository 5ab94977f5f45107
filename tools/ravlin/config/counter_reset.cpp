// clear device <n>/(<m> <n>) count error/all: resets the counters of each device
// of the range, one request per device, and sums up what was done.
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "config_commands.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {


// Where the walk stands after one device.
enum class Step { Next, Stop };

// Reports device `device`'s failed record read (error `error`, record `record`).
// `running` is the count of slots accounted for; a range stops once it reaches
// the slot count.
Step report_read_failure(uint32_t error, int64_t device, int64_t high, bool single, int64_t* running,
                         const DSM_DEVICE_RECORD* record) {
    int d = int(device);
    if (error == DSM_ERROR_DEVICE_REMOVED) {
        print_out("\n%s\n", get_message_text(MESSAGE(DEVICE_REMOVED), d));
        if (single) return Step::Stop;
        (*running)++;
        return Step::Next;
    }
    if (error == DSM_ERROR_FILE_NOT_FOUND) {
        if (single) {
            print_out("\n%s\n", get_message_text(MESSAGE(DEVICE_INVALID), d));
            return Step::Stop;
        }
        if (*running >= g_connection.device_slot_count) {
            if (device == high)
                print_out("\n%s\n", get_message_text(MESSAGE(COMMAND_DEVICE_INVALID), d));
            else
                print_out("\n%s\n", get_message_text(MESSAGE(COMMAND_DEVICES_INVALID),
                                                  d, int(high)));
            return Step::Stop;
        }
        print_out("\n%s\n", get_message_text(MESSAGE(COMMAND_DEVICE_INVALID_LF), d));
        return Step::Next;
    }
    if (record->Status == DSM_STATUS_INVALID_DEVICE)
        print_out("\n%s\n", get_message_text(MESSAGE(DEVICE_INVALID_NO_STOP), d));
    else
        print_out("\n%s\n", get_message_text(MESSAGE(COMMAND_ERROR_STATUS), unsigned(error),
                                          unsigned(record->Status)));
    return single ? Step::Stop : Step::Next;
}

}  // namespace

int32_t clear_counters(int32_t first, int32_t last, const char* kind) {
    int64_t low = first < last ? first : last;
    int64_t high = first < last ? last : first;
    uint32_t counter_kind = strcmp(kind, "all") == 0 ? DSM_CLEAR_ALL : DSM_CLEAR_ERRORS;
    bool single = low == high;
    bool cleared = false;
    bool some_failed = false;
    int64_t running = low;
    static DSM_DEVICE_RECORD record;

    for (int64_t device = low; device <= high; device++) {
        g_settings.first_device = int32_t(device);
        // A fresh record for every read: the driver's last answer is not sent back to it.
        memset(&record, 0, sizeof record);
        record.DeviceNumber = uint32_t(device);
        uint32_t error = dsm_control(IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record);
        if (error == 0) {
            DSM_CLEAR_REQUEST request;
            memset(&request, 0, sizeof request);
            request.FirstDevice = uint32_t(device);
            request.LastDevice = uint32_t(device);
            request.CounterKind = counter_kind;
            uint32_t reset = dsm_control(IOCTL_DSM_CLEAR_COUNTERS, &request, sizeof request);
            if (reset != 0) {
                print_out("\n%s\n", get_message_text(MESSAGE(COMMAND_ERROR_CODE), unsigned(reset)));
                // This device kept its counters: the summary must not claim them all.
                some_failed = true;
                break;
            }
            cleared = true;
            running++;
            continue;
        }
        some_failed = true;
        if (report_read_failure(error, device, high, single, &running, &record) == Step::Stop) break;
    }

    if (!cleared) {
        print_out("%s\n", get_message_text(MESSAGE(RESET_FAILED), kind));
        return -1;
    }
    if (some_failed) {
        print_out("%s\n", get_message_text(MESSAGE(RESET_DONE_EXCEPT_FEW), kind));
        write_activity_log("Successfully reset %s counter. (except few devices)\n", kind);
    } else {
        print_out("%s\n", get_message_text(MESSAGE(RESET_DONE), kind));
        write_activity_log("Successfully reset %s counter.\n", kind);
    }
    return 0;
}
