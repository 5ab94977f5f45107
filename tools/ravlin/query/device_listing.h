// The device selection engine shared by `query device` and `query devstats`, and the
// single-device display that the configuration commands call after a change.
#pragma once

#include <stdint.h>

// Fetches and shows the device in slot g_settings.first_device with request
// `request_code` (IOCTL_DSM_GET_DEVICE_INFO or IOCTL_DSM_GET_DEVICE_STATS). Returns 0
// (shown or silently skipped), 3 (removed or absent) or -1 (other failure).
int32_t show_device(uint32_t query_flags, uint32_t request_code);

// The walks of one listing pass; each prints its own messages.
void show_all_devices(uint32_t query_flags, uint32_t request_code);
void show_devices_by_model(uint32_t query_flags, uint32_t request_code);
// Slots a to b (either order); always 0.
int32_t show_device_range(int32_t a, int32_t b, uint32_t query_flags, uint32_t request_code);
// Counts the devices that answer, by interface class, into the present counts.
void count_devices_by_type(uint32_t query_flags);

// True when `pattern` (a trailing "*" dropped) is a prefix of the 8-character
// product identifier `product_id`, compared up to a NUL in either.
bool model_matches(const char* pattern, const char* product_id);
