// `set device <n> path <m> online/offline`: one path's state.
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "device_listing.h"
#include "device_record_read.h"
#include "change_checks.h"
#include "config_commands.h"
#include "failure_message.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"
#include "state_words.h"
#include "usage_text.h"

namespace {


// The refusals that need no request; true when the path may be sent `word`.
bool path_may_change(uint32_t device, int32_t path, const DSM_PATH_ENTRY* entry, const char* word) {
    bool online = strcmp(word, "online") == 0;
    bool offline = strcmp(word, "offline") == 0;
    char text[96];
    if ((entry->State == DSM_PATH_OPEN && online && entry->Mode == DSM_MODE_NORMAL) ||
        (entry->State == DSM_PATH_DEAD && offline && entry->Mode == DSM_MODE_OFFLINE)) {
        snprintf(text, sizeof text, "Device %ld path %ld is already %s", long(device), long(path), word);
        print_message(text);
        return false;
    }
    if (entry->State == DSM_PATH_CLOSE) {
        snprintf(text, sizeof text, "Device %ld path %ld is Unavailable", long(device), long(path));
        print_message(text);
        return false;
    }
    return true;
}

void print_invalid_path(int32_t path) {
    char text[48];
    snprintf(text, sizeof text, "Invalid path number %d", int(path));
    print_message(text);
}

}  // namespace

int32_t check_path_change(uint32_t device, int32_t path, const char* word) {
    if (path < 0 || path >= DSM_MAX_PATHS) {
        print_invalid_path(path);
        return -1;
    }
    DSM_DEVICE_RECORD record;
    int32_t result = read_device_record(device, &record);
    if (result != 0) return result;
    if (uint32_t(path) >= record.PathCount) {
        print_invalid_path(path);
        return -1;
    }
    if (!path_may_change(device, path, &record.Paths[path], word)) return -1;
    // The grammar lets only online and offline through; a guarded change asks for offline.
    assert(state_action(word, false) != 0);
    return 0;
}

int32_t set_path_state(uint32_t device, int32_t path, const char* word, int32_t show) {
    int32_t refused = check_path_change(device, path, word);
    if (refused != 0) return refused;
    uint32_t action = state_action(word, false);

    DSM_PATH_STATE_REQUEST request;
    memset(&request, 0, sizeof request);
    request.DeviceNumber = device;
    request.PathNumber = uint32_t(path);
    request.Action = action;
    request.Marker = DSM_REQUEST_MARKER;
    uint32_t error = dsm_control(IOCTL_DSM_SET_PATH_STATE, &request, sizeof request);
    if (request.Status == DSM_STATUS_PRESERVE_ACCESS) {
        print_out("\n%s\n", get_message_text(MESSAGE(PATH_KEEPS_ACCESS)));
        return -1;
    }
    if (error != 0) {
        print_out("\n%s\n", get_message_text(MESSAGE(IOCTL_ERROR)));
        return -1;
    }

    char text[100];
    snprintf(text, sizeof text, msg::PATH_SET, long(device), long(path), word);
    write_activity_log_as_is(text);
    print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(PATH_SET), text, long(device), long(path), word));
    if (show) {
        g_settings.first_device = int32_t(device);
        show_device(QF_ONE_DEVICE, IOCTL_DSM_GET_DEVICE_INFO);
    }
    return 0;
}
