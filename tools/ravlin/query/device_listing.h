// The device selection engine shared by `query device` and `query devstats`, and the
// single-device display that the configuration commands call after a change.
#pragma once

#include <stdint.h>

// Fetches and shows the device in slot g_settings.first_device with request
// `request_code` (IOCTL_DSM_GET_DEVICE_INFO or IOCTL_DSM_GET_DEVICE_STATS). Returns 0
// (shown or silently skipped), 3 (removed or absent) or -1 (other failure).
int32_t show_device(uint32_t query_flags, uint32_t request_code);
