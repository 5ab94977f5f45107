// set performance and @trace: switch the driver's performance collection (for
// all devices or one) and its trace classes.
#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "config_commands.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {


struct TraceLevel {
    const char* word;
    uint32_t mask;
};

const TraceLevel kTraceLevels[] = {
    {"__default", DSM_TRACE_DEFAULT}, {"__io", DSM_TRACE_IO},   {"__ioctl", DSM_TRACE_IOCTL},
    {"__config", DSM_TRACE_CONFIG},   {"__all", DSM_TRACE_ALL},
};

}  // namespace

int32_t set_performance(int32_t mode, int32_t device) {
    int32_t count = get_device_slot_count();
    g_connection.device_slot_count = count;
    // The on/off form asks with device 0, so it too needs at least one slot.
    if (device < 0 || device >= count) {
        print_out("\n%s\n", get_message_text(MESSAGE(MAX_DEVICE_INVALID),
                                          int(count), int(device)));
        return -1;
    }
    uint32_t body = mode == 0 ? g_settings.perf_collection : uint32_t(device);
    uint32_t result = dsm_control(mode == 0 ? IOCTL_DSM_SET_PERF : IOCTL_DSM_SET_DEVICE_PERF, &body, sizeof body);
    if (result == 0) return 0;
    if (int32_t(result) < 0) {
        print_out("\n%s\n", get_message_text(MESSAGE(IOCTL_ERROR)));
        return int32_t(result);
    }
    char text[80];
    if (result == DSM_ERROR_DEVICE_REMOVED) {
        snprintf(text, sizeof text, msg::DEVICE_REMOVED, int(device));
        print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(DEVICE_REMOVED), text));
        return 3;
    }
    if (result == DSM_ERROR_FILE_NOT_FOUND) {
        snprintf(text, sizeof text, msg::DEVICE_INVALID, int(device));
        print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(DEVICE_INVALID), text));
        return 3;
    }
    print_out("\n%s 0x%x\n", get_message_text(MESSAGE(IOCTL_ERROR)), unsigned(result));
    return int32_t(result);
}

int32_t set_trace(const char* level) {
    uint32_t mask = DSM_TRACE_DEFAULT;
    for (const TraceLevel& t : kTraceLevels)
        if (strcmp(level, t.word) == 0) mask = t.mask;
    uint32_t result = dsm_control(IOCTL_DSM_SET_TRACE, &mask, sizeof mask);
    if (result == 0) print_out("Success: Configured %s trace\n", level);
    else print_out("Failed to configure %s trace\n", level);
    return int32_t(result);
}
