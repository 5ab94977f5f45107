// The driver's control device \\.\RAVLIN: the connection state of the run and the
// single request primitive every handler uses.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"
#include "platform.h"

// One per run, owned here; read by the handlers.
struct ConnectionState {
    PlatformHandle device_handle;
    int32_t device_slot_count;
    DSM_ADAPTER_TABLE adapter_table;
    int32_t adapter_count;
};
extern ConnectionState g_connection;

// Opens the control device and reads the slot count and the adapter table.
// 0 on success; -1 on failure, with nothing held.
int32_t open_control_device();

// Closes the handle if one is held. True when nothing failed.
bool close_control_device();

// Sends one request with `record` as input and output of `size` bytes. 0 only when
// the driver answered with exactly `size` bytes; otherwise a nonzero system error
// code (ERROR_BAD_LENGTH for a short reply the system reported as a success).
uint32_t dsm_control(uint32_t code, void* record, uint32_t size);

// The driver's current slot count, or -1 when the request fails. Not stored.
int32_t get_device_slot_count();

// Asks the driver to refresh the target port groups of all devices; the result of
// dsm_control. A result negative as a signed number prints the ioctl error.
uint32_t exec_send_rtpg();
