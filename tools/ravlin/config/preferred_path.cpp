// `set device <n> path <m> preferred <0/1>`: a device's preferred path, or none.
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "device_record_read.h"
#include "config_commands.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {


}  // namespace

int32_t set_preferred_path(uint32_t device, uint32_t path, int32_t flag) {
    if (flag != 0 && flag != 1) {
        print_out("\n Invalid argument .. use 0 or 1 \n");
        return -1;
    }
    DSM_DEVICE_RECORD record;
    int32_t result = read_device_record(device, &record);
    if (result != 0) return result;
    if (int32_t(path) >= int32_t(record.PathCount)) {
        print_out("\nInvalid path number %d\n", int(path));
        return -1;
    }

    DSM_PREFERRED_PATH request;
    memset(&request, 0, sizeof request);
    request.DeviceNumber = device;
    request.PathNumber = path;  // sent as given, also when clearing
    request.IsSet = uint8_t(flag);
    uint32_t error = dsm_control(IOCTL_DSM_SET_PREFERRED_PATH, &request, sizeof request);
    if (error != 0) return report_device_failure(device, error);

    char text[100];
    snprintf(text, sizeof text, msg::PREFERRED_PATH_SET, long(device), long(path));
    print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(PREFERRED_PATH_SET), text, long(device), long(path)));
    if (flag == 1)
        write_activity_log("Success: set [device %ld] preferredpath: [path %ld]\n", long(device), long(path));
    else
        write_activity_log("Success: set [device %ld] preferredpath: [None]\n", long(device));
    return 0;
}
