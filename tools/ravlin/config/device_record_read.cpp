// The device record read of the configuration commands and its failure messages.
#include "device_record_read.h"

#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "failure_message.h"
#include "message_text.h"
#include "output_policy.h"

void print_device_gone(uint32_t id, uint32_t device) {
    char text[64];
    if (id == MSG_DEVICE_REMOVED)
        snprintf(text, sizeof text, "Device #%d is removed.", int(device));
    else
        snprintf(text, sizeof text, "Device #%d is invalid. No such device.", int(device));
    print_message(get_message_text_as_is(id, text, int(device)));
}

int32_t report_device_failure(uint32_t device, uint32_t error) {
    if (error == DSM_ERROR_DEVICE_REMOVED) {
        print_device_gone(MSG_DEVICE_REMOVED, device);
        return 3;
    }
    if (error == DSM_ERROR_FILE_NOT_FOUND) {
        print_device_gone(MSG_DEVICE_INVALID, device);
        return 3;
    }
    char text[kMessageBufferSize + 16];
    snprintf(text, sizeof text, "%s (0x%x)", get_message_text(MSG_IOCTL_ERROR, "Error executing ioctl to device file\n"),
             unsigned(error));
    print_message(text);
    return int32_t(error);
}

int32_t read_device_record(uint32_t device, DSM_DEVICE_RECORD* record) {
    memset(record, 0, sizeof *record);
    record->DeviceNumber = device;
    uint32_t error = dsm_control(IOCTL_DSM_GET_DEVICE_INFO, record, sizeof *record);
    return error == 0 ? 0 : report_device_failure(device, error);
}
