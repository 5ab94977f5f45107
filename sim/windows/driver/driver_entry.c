/* The test driver's life: it creates the control device and the simulator
 * device with their links, routes each request to the device it was sent to,
 * and removes everything again when it is stopped. */
#include "disk_device.h"
#include "driver.h"
#include "sim_host.h"

PDEVICE_OBJECT dsm_device;
PDEVICE_OBJECT sim_device;

static KMUTEX world_mutex;

void world_lock(void) { KeWaitForSingleObject(&world_mutex, Executive, KernelMode, FALSE, NULL); }

void world_unlock(void) { KeReleaseMutex(&world_mutex, FALSE); }

NTSTATUS complete_request(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create(PDEVICE_OBJECT device, PIRP irp) {
    if (device == dsm_device) return dsm_create(irp, IoGetCurrentIrpStackLocation(irp));
    if (is_disk_device(device)) return disk_create(device, irp);
    return complete_request(irp, STATUS_SUCCESS, 0); /* the simulator device always opens */
}

static NTSTATUS NTAPI dispatch_close(PDEVICE_OBJECT device, PIRP irp) {
    if (device == dsm_device) return dsm_close(irp, IoGetCurrentIrpStackLocation(irp));
    if (is_disk_device(device)) return disk_close(device, irp);
    return complete_request(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_cleanup(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return complete_request(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_device_control(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == dsm_device) return dsm_device_control(irp, stack);
    if (device == sim_device) return sim_device_control(irp, stack);
    if (is_disk_device(device)) return disk_device_control(device, irp, stack);
    return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

/* Creates a device and, unless `link` is NULL, its \\.\ name. */
static NTSTATUS create_device(PDRIVER_OBJECT driver, const WCHAR* name, const WCHAR* link,
                              PDEVICE_OBJECT* out) {
    UNICODE_STRING device_name, link_name;
    RtlInitUnicodeString(&device_name, name);
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status = IoCreateDevice(driver, 0, &device_name, 0x84C9, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;
    if (link != NULL) {
        RtlInitUnicodeString(&link_name, link);
        status = IoCreateSymbolicLink(&link_name, &device_name);
        if (!NT_SUCCESS(status)) {
            IoDeleteDevice(device);
            return status;
        }
    }
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    *out = device;
    return STATUS_SUCCESS;
}

static void delete_device(const WCHAR* link, PDEVICE_OBJECT* device) {
    if (*device == NULL) return;
    if (link != NULL) {
        UNICODE_STRING link_name;
        RtlInitUnicodeString(&link_name, link);
        IoDeleteSymbolicLink(&link_name);
    }
    IoDeleteDevice(*device);
    *device = NULL;
}

static void NTAPI driver_unload(PDRIVER_OBJECT driver) {
    (void)driver;
    disk_devices_remove();
    delete_device(L"\\DosDevices\\RAVLINSIM", &sim_device);
    dsm_update_link(0);
    delete_device(NULL, &dsm_device);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path) {
    (void)registry_path;
    KeInitializeMutex(&world_mutex, 0);
    sim_host_reset();
    /* \\.\RAVLIN appears only once a world with a driver is loaded. */
    NTSTATUS status = create_device(driver, L"\\Device\\RAVLIN", NULL, &dsm_device);
    if (NT_SUCCESS(status))
        status = create_device(driver, L"\\Device\\RAVLINSIM", L"\\DosDevices\\RAVLINSIM", &sim_device);
    if (!NT_SUCCESS(status)) {
        driver_unload(driver);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_cleanup;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_device_control;
    driver->DriverUnload = driver_unload;
    return STATUS_SUCCESS;
}
