/* Shared by the parts of the test driver: its two devices, the world lock and
 * the request handlers of each device. */
#pragma once

#include <ntddk.h>

/* \Device\RAVLIN, the control device ravlin opens as \\.\RAVLIN. */
extern PDEVICE_OBJECT dsm_device;
/* \Device\RAVLINSIM, the simulator's own device that dsmsim.exe opens. */
extern PDEVICE_OBJECT sim_device;

/* Requests may arrive on several threads; the world is touched only under this. */
void world_lock(void);
void world_unlock(void);

/* Completes `irp` with `status` and `information` and returns `status`. */
NTSTATUS complete_request(PIRP irp, NTSTATUS status, ULONG_PTR information);

NTSTATUS dsm_create(PIRP irp, PIO_STACK_LOCATION stack);
NTSTATUS dsm_close(PIRP irp, PIO_STACK_LOCATION stack);
NTSTATUS dsm_device_control(PIRP irp, PIO_STACK_LOCATION stack);

/* Gives \Device\RAVLIN its name \\.\RAVLIN (`present` nonzero) or takes it away. */
void dsm_update_link(int present);

NTSTATUS sim_device_control(PIRP irp, PIO_STACK_LOCATION stack);
