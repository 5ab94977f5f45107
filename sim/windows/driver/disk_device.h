/* The test driver's disk devices, one per simulated disk. */
#pragma once

#include "driver.h"

/* Removes every disk device and makes one per disk of the world just loaded. */
void disk_devices_update(PDRIVER_OBJECT driver);
void disk_devices_remove(void);

/* Nonzero when `device` is one of the disk devices. */
int is_disk_device(PDEVICE_OBJECT device);

NTSTATUS disk_create(PDEVICE_OBJECT device, PIRP irp);
NTSTATUS disk_close(PDEVICE_OBJECT device, PIRP irp);
NTSTATUS disk_device_control(PDEVICE_OBJECT device, PIRP irp, PIO_STACK_LOCATION stack);

/* Takes away the names of disks whose next open is to fail (a disk_open fault)
 * and, at a control-device request (`control_request` nonzero) after a disk
 * handle was closed, gives the names so taken back. The caller holds the world lock. */
void disk_links_refresh(int control_request);
