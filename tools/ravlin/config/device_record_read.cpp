// The device record read of the configuration commands and its failure messages.
#include "device_record_read.h"

#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "failure_message.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

void print_device_gone(bool removed, uint32_t device) {
    char text[64];
    if (removed) snprintf(text, sizeof text, msg::DEVICE_REMOVED, int(device));
    else snprintf(text, sizeof text, msg::DEVICE_INVALID, int(device));
    uint32_t id = removed ? MESSAGE_ID(DEVICE_REMOVED) : MESSAGE_ID(DEVICE_INVALID);
    print_message(get_message_text_as_is(id, text, int(device)));
}

int32_t report_device_failure(uint32_t device, uint32_t error) {
    if (error == DSM_ERROR_DEVICE_REMOVED) {
        print_device_gone(true, device);
        return 3;
    }
    if (error == DSM_ERROR_FILE_NOT_FOUND) {
        print_device_gone(false, device);
        return 3;
    }
    char text[kMessageBufferSize + 16];
    snprintf(text, sizeof text, "%s (0x%x)", get_message_text(MESSAGE(IOCTL_ERROR)), unsigned(error));
    print_message(text);
    return int32_t(error);
}

int32_t read_device_record(uint32_t device, DSM_DEVICE_RECORD* record) {
    memset(record, 0, sizeof *record);
    record->DeviceNumber = device;
    uint32_t error = dsm_control(IOCTL_DSM_GET_DEVICE_INFO, record, sizeof *record);
    return error == 0 ? 0 : report_device_failure(device, error);
}
