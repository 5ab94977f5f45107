// Reading one device record for a configuration command, with the failure
// messages those commands share.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"

// Reads device `device` into *record (zero-filled first). Returns 0, or prints the
// failure of `error` and returns its result (see report_device_failure).
int32_t read_device_record(uint32_t device, DSM_DEVICE_RECORD* record);

// Prints the failure `error` of a request about `device`: removed (1617) and
// absent (2) get their own texts and give 3; anything else prints the ioctl
// error with its code in the form "\n%s (0x%x)\n" and gives the code.
int32_t report_device_failure(uint32_t device, uint32_t error);

// Prints "Device #%d is removed." (`removed`) or "... is invalid. No such device."
// for `device` in the form "\n%s\n".
void print_device_gone(bool removed, uint32_t device);
