// `set adapter <n> online/offline/pathcountref`: one adapter's state.
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "change_checks.h"
#include "config_commands.h"
#include "failure_message.h"
#include "message_catalogue.h"
#include "query_commands.h"
#include "invocation_settings.h"
#include "message_text.h"
#include "output_policy.h"
#include "state_words.h"
#include "usage_text.h"

namespace {


// True when the fresh table lists at least one adapter with a path.
bool any_active_adapter(const DSM_ADAPTER_TABLE* table) {
    int32_t n = table->AdapterCount > DSM_MAX_ADAPTERS ? DSM_MAX_ADAPTERS : table->AdapterCount;
    for (int32_t i = 0; i < n; i++)
        if (table->Adapters[i].PathCount != 0) return true;
    return false;
}

}  // namespace

int32_t check_adapter_change(int32_t adapter, const char* word) {
    char text[64];
    if (adapter < 0 || adapter >= g_connection.adapter_count) {
        snprintf(text, sizeof text, "Invalid adapter number %d", int(adapter));
        print_message(text);
        return -1;
    }
    uint32_t action = state_action(word, true);
    assert(action != 0);  // the grammar lets only online, offline and pathcountref through; a guarded change asks for offline
    DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    uint32_t error = dsm_control(IOCTL_DSM_GET_ADAPTER_INFO, &table, sizeof table);
    if (error != 0) {
        // This one line has no line end before it.
        snprintf(text, sizeof text, "Failed to get adapter information (%x)", unsigned(error));
        if (g_settings.json_output) keep_failure_message(text);
        else print_out("%s\n", text);
        return -1;
    }
    if (table.AdapterCount <= 0 || !any_active_adapter(&table)) {
        print_message(get_message_text(MESSAGE(NO_ACTIVE_ADAPTER)));
        return -1;
    }
    // The table read at open may be longer than the fresh one: an entry beyond
    // the fresh count reads as zeros, as the driver left it.
    uint32_t mode = adapter < DSM_MAX_ADAPTERS ? table.Adapters[adapter].Mode : DSM_MODE_NORMAL;
    if (mode == DSM_MODE_OFFLINE && action == DSM_ACTION_OFFLINE) {
        snprintf(text, sizeof text, "The adapter %d is already offline", int(adapter));
        print_message(text);
        return -1;
    }
    if (mode == DSM_MODE_NORMAL && action == DSM_ACTION_ONLINE) {
        snprintf(text, sizeof text, "The adapter %d is already online", int(adapter));
        print_message(text);
        return -1;
    }
    return 0;
}

int32_t set_adapter_state(int32_t adapter, const char* word, int32_t show) {
    int32_t refused = check_adapter_change(adapter, word);
    if (refused != 0) return refused;
    uint32_t action = state_action(word, true);

    DSM_ADAPTER_STATE_REQUEST request;
    memset(&request, 0, sizeof request);
    request.AdapterNumber = uint32_t(adapter);
    request.Action = action;
    request.Marker = DSM_REQUEST_MARKER;
    uint32_t error = dsm_control(IOCTL_DSM_SET_ADAPTER_STATE, &request, sizeof request);
    if (error != 0) {
        if (request.Status == DSM_STATUS_PRESERVE_ACCESS)
            print_out("\n%s\n", get_message_text(MESSAGE(ADAPTER_KEEPS_ACCESS)));
        else
            print_out("\n%s\n", get_message_text(MESSAGE(IOCTL_ERROR)));
        return int32_t(error);
    }
    if (request.Status == DSM_STATUS_PRESERVE_ACCESS) {
        print_out("\n%s\n", get_message_text(MESSAGE(ADAPTER_KEEPS_ACCESS_LF)));
        return 0;
    }

    char text[100];
    snprintf(text, sizeof text, msg::ADAPTER_SET, long(adapter), word);
    write_activity_log_as_is(text);
    print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(ADAPTER_SET), text, long(adapter), word));
    if (show) show_adapters(adapter, AF_ONE_ADAPTER);
    return 0;
}
