// Fetching one device slot for the listings: the device record (with its
// preferred path first) or the statistics record.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

struct DeviceFetch {
    DSM_DEVICE_RECORD record;
    DSM_DEVICE_STATS stats;
    DSM_PREFERRED_PATH preferred;  // IsSet 0 when the preferred-path request failed
};

// Fetches slot `slot` with `request_code` (IOCTL_DSM_GET_DEVICE_INFO, which asks for
// the preferred path first when `with_preferred` is set, or IOCTL_DSM_GET_DEVICE_STATS)
// into *f, which is zero-filled first. Returns 0 or the request's system error; after
// a failure the Status word of the record sent is still readable (fetch_status).
uint32_t fetch_device(int32_t slot, uint32_t request_code, bool with_preferred, DeviceFetch* f);

// The Status word of the record that `request_code` carried.
uint32_t fetch_status(const DeviceFetch* f, uint32_t request_code);
