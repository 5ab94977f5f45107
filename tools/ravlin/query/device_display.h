// The detail display of one multipath device: header, LUN size, volume name,
// interface, preferred path and the path table.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// Prints `record` as `query device` shows it, with the flags' path table layout
// and the preferred path `preferred` (IsSet 0: none).
void print_device(const DSM_DEVICE_RECORD* record, uint32_t query_flags, const DSM_PREFERRED_PATH* preferred);

// Reads the LUN capacity through one open path and prints its size text (or a
// failure text). Returns 0, or -1 when the last capacity attempt failed.
int32_t print_lun_size(const DSM_DEVICE_RECORD* record);

// Finds and prints the device's volume name ("VDISK NAME: ...") in band or from the
// name cache; every failure goes to the activity log only.
void show_vdisk_name(const DSM_DEVICE_RECORD* record);
