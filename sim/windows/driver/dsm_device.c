/* \\.\RAVLIN: opens, closes and control requests, each answered by the
 * simulator the way ravlindsm.sys would answer it.
 *
 * Wine completes CreateFile before the driver has seen IRP_MJ_CREATE, so the
 * status of a create never reaches the caller. Two things stand in for it:
 * - a world without a driver has no \\.\RAVLIN name at all, so the open fails
 *   with error 2 exactly as on a machine without the driver;
 * - an open that the simulator fails (a fault) marks the file object, and every
 *   request on it fails with that error, unseen by the model: the caller's first
 *   request fails where, on Windows, its open would have. */
#include "disk_device.h"
#include "driver.h"
#include "sim_host.h"
#include "status_map.h"

static int link_present;

void dsm_update_link(int present) {
    if (present == link_present || dsm_device == NULL) return;
    UNICODE_STRING device_name, link_name;
    RtlInitUnicodeString(&device_name, L"\\Device\\RAVLIN");
    RtlInitUnicodeString(&link_name, L"\\DosDevices\\RAVLIN");
    if (present) {
        if (NT_SUCCESS(IoCreateSymbolicLink(&link_name, &device_name))) link_present = 1;
    } else {
        IoDeleteSymbolicLink(&link_name);
        link_present = 0;
    }
}

/* The error its open failed with, kept in the file object (0: a good open). */
static uint32_t failed_open(PIO_STACK_LOCATION stack) {
    if (stack->FileObject == NULL) return 0;
    return (uint32_t)(ULONG_PTR)stack->FileObject->FsContext;
}

NTSTATUS dsm_create(PIRP irp, PIO_STACK_LOCATION stack) {
    world_lock();
    uint32_t error = sim_host_open();
    disk_links_refresh(1);
    world_unlock();
    if (error != 0 && stack->FileObject != NULL) stack->FileObject->FsContext = (PVOID)(ULONG_PTR)error;
    return complete_request(irp, status_from_windows_error(error), 0);
}

NTSTATUS dsm_close(PIRP irp, PIO_STACK_LOCATION stack) {
    /* A handle whose open failed was never open as far as the model knows. */
    if (failed_open(stack) == 0) {
        world_lock();
        sim_host_close(); /* journalled; a close cannot fail for the caller */
        world_unlock();
    }
    return complete_request(irp, STATUS_SUCCESS, 0);
}

NTSTATUS dsm_device_control(PIRP irp, PIO_STACK_LOCATION stack) {
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG in_len = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_len = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG size = in_len > out_len ? in_len : out_len;

    uint32_t open_error = failed_open(stack);
    if (open_error != 0) return complete_request(irp, status_from_windows_error(open_error), 0);
    /* Every DSM request is buffered; anything else has no system buffer to answer in. */
    if ((code & 3) != METHOD_BUFFERED) return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (size > 0 && buffer == NULL) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    /* The system buffer is max(in, out) long, but only the input bytes are the
     * caller's: the rest must not reach the model as if sent. */
    if (size > in_len) RtlZeroMemory(buffer + in_len, size - in_len);

    uint32_t returned = 0;
    world_lock();
    uint32_t error = sim_host_answer(code, buffer, in_len, out_len, &returned);
    disk_links_refresh(1);
    world_unlock();
    if (error != 0) {
        /* A warning still carries its bytes back to the caller; an error never does. */
        NTSTATUS status = status_from_windows_error(error);
        return complete_request(irp, status, NT_WARNING(status) && returned <= out_len ? returned : 0);
    }
    return complete_request(irp, STATUS_SUCCESS, returned <= out_len ? returned : out_len);
}
