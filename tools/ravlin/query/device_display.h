// The detail display of one multipath device: header, LUN size, volume name,
// interface, preferred path and the path table.
#pragma once

#include <stdint.h>

#include "device_facts.h"
#include "dsm_interface.h"

// Gathers the facts of a fetched device and prints them as `query device` shows
// them, each part as soon as its facts are in, with the flags' path table layout
// and the preferred path `preferred` (IsSet 0: none).
void print_device(const DSM_DEVICE_RECORD* record, uint32_t query_flags, const DSM_PREFERRED_PATH* preferred);

// Prints the size text of a capacity read (or its failure text, and the unexpected
// SCSI statuses met). Returns 0, or -1 when the last capacity attempt failed.
int32_t print_lun_size(const LunCapacity* capacity);
