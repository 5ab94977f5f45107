#include "device_fetch.h"

#include <string.h>

#include "control_device.h"

uint32_t fetch_device(int32_t slot, uint32_t request_code, bool with_preferred, DeviceFetch* f) {
    memset(f, 0, sizeof *f);
    if (request_code == IOCTL_DSM_GET_DEVICE_STATS) {
        f->stats.DeviceNumber = uint32_t(slot);
        return dsm_control(request_code, &f->stats, sizeof f->stats);
    }
    if (with_preferred) {
        DSM_PREFERRED_PATH preferred;
        memset(&preferred, 0, sizeof preferred);
        preferred.DeviceNumber = uint32_t(slot);
        if (dsm_control(IOCTL_DSM_GET_PREFERRED_PATH, &preferred, sizeof preferred) == 0) f->preferred = preferred;
    }
    f->record.DeviceNumber = uint32_t(slot);
    return dsm_control(request_code, &f->record, sizeof f->record);
}

uint32_t fetch_status(const DeviceFetch* f, uint32_t request_code) {
    if (request_code == IOCTL_DSM_GET_DEVICE_STATS) return uint32_t(f->stats.Status);
    return f->record.Status;
}
