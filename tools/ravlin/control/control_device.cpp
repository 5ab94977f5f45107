#include "control_device.h"

#include <stdio.h>
#include <string.h>

#include "message_catalogue.h"
#include "failure_message.h"
#include "message_text.h"
#include "output_policy.h"

ConnectionState g_connection;

int32_t open_control_device() {
    char name[48];
    snprintf(name, sizeof name, "%s", get_message_text(MESSAGE(CONTROL_DEVICE_NAME)));

    g_connection.device_handle = platform_open_device(name);
    if (g_connection.device_handle.value == 0) return -1;

    DSM_COUNT_RECORD counts;
    memset(&counts, 0, sizeof counts);
    if (dsm_control(IOCTL_DSM_GET_COUNTS, &counts, sizeof counts) == 0) {
        g_connection.device_slot_count = counts.Count;
        memset(&g_connection.adapter_table, 0, sizeof g_connection.adapter_table);
        if (dsm_control(IOCTL_DSM_GET_ADAPTER_INFO, &g_connection.adapter_table,
                        sizeof g_connection.adapter_table) == 0) {
            g_connection.adapter_count = g_connection.adapter_table.AdapterCount;
            return 0;
        }
    }
    platform_close_device(g_connection.device_handle);
    g_connection.device_handle.value = 0;
    return -1;
}

bool close_control_device() {
    if (g_connection.device_handle.value == 0) return true;
    bool closed = platform_close_device(g_connection.device_handle);
    g_connection.device_handle.value = 0;
    return closed;
}

uint32_t dsm_control(uint32_t code, void* record, uint32_t size) {
    uint32_t returned = 0;
    if (platform_device_control(g_connection.device_handle, code, record, size, record, size, &returned)) {
        if (returned == size) return 0;
        return DSM_ERROR_BAD_LENGTH;
    }
    uint32_t error = platform_last_error();
    return error != 0 ? error : DSM_ERROR_GEN_FAILURE;
}

int32_t get_device_slot_count() {
    DSM_COUNT_RECORD counts;
    memset(&counts, 0, sizeof counts);
    if (dsm_control(IOCTL_DSM_GET_COUNTS, &counts, sizeof counts) != 0) return -1;
    return counts.Count;
}

uint32_t exec_send_rtpg() {
    uint32_t body = 1;
    uint32_t result = dsm_control(IOCTL_DSM_SEND_RTPG, &body, sizeof body);
    if (int32_t(result) < 0) print_aside("\n%s\n", get_message_text(MESSAGE(IOCTL_ERROR)));
    return result;
}
