/* \\.\RAVLIN: opens, closes and control requests, each answered by the
 * simulator the way ravlindsm.sys would answer it. */
#include "driver.h"
#include "sim_host.h"
#include "status_map.h"

NTSTATUS dsm_create(PIRP irp) {
    world_lock();
    uint32_t error = sim_host_open(); /* 2 while the world has no driver loaded */
    world_unlock();
    return complete_request(irp, status_from_windows_error(error), 0);
}

NTSTATUS dsm_close(PIRP irp) {
    world_lock();
    sim_host_close(); /* journalled; a close cannot fail for the caller */
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

NTSTATUS dsm_device_control(PIRP irp, PIO_STACK_LOCATION stack) {
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG in_len = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_len = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG size = in_len > out_len ? in_len : out_len;

    /* Every DSM request is buffered; anything else has no system buffer to answer in. */
    if ((code & 3) != METHOD_BUFFERED) return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (size > 0 && buffer == NULL) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    /* The system buffer is max(in, out) long, but only the input bytes are the
     * caller's: the rest must not reach the model as if sent. */
    if (size > in_len) RtlZeroMemory(buffer + in_len, size - in_len);

    uint32_t returned = 0;
    world_lock();
    uint32_t error = sim_host_answer(code, buffer, in_len, out_len, &returned);
    world_unlock();
    if (error != 0) return complete_request(irp, status_from_windows_error(error), 0);
    return complete_request(irp, STATUS_SUCCESS, returned <= out_len ? returned : out_len);
}
