/* \\.\RAVLINSIM: the private requests that load and read the whole world, the
 * one that gives the test HBA library its adapters, and the library's journal. */
#include "disk_device.h"
#include "driver.h"
#include "sim_control.h"
#include "sim_host.h"
#include "status_map.h"

static NTSTATUS load_world(PIRP irp, const void* buffer, ULONG in_len) {
    if (in_len != sim_host_world_size() || buffer == NULL)
        return complete_request(irp, status_from_windows_error(24), 0);
    world_lock();
    uint32_t error = sim_host_load(buffer, in_len);
    if (error == 0) {
        dsm_update_link(sim_host_driver_loaded());
        disk_devices_update(sim_device->DriverObject);
    }
    world_unlock();
    return complete_request(irp, status_from_windows_error(error), 0);
}

static NTSTATUS read_world(PIRP irp, void* buffer, ULONG out_len) {
    if (out_len != sim_host_world_size() || buffer == NULL)
        return complete_request(irp, status_from_windows_error(24), 0);
    world_lock();
    uint32_t error = sim_host_save(buffer, out_len);
    world_unlock();
    if (error != 0) return complete_request(irp, status_from_windows_error(error), 0);
    return complete_request(irp, STATUS_SUCCESS, out_len);
}

static NTSTATUS read_hba(PIRP irp, void* buffer, ULONG out_len) {
    if (out_len != sim_host_hba_size() || buffer == NULL)
        return complete_request(irp, status_from_windows_error(24), 0);
    world_lock();
    uint32_t error = sim_host_hba_snapshot(buffer, out_len);
    world_unlock();
    if (error != 0) return complete_request(irp, status_from_windows_error(error), 0);
    return complete_request(irp, STATUS_SUCCESS, out_len);
}

static char hba_journal[RAVLINSIM_HBA_JOURNAL_SIZE];
static ULONG hba_journal_length;

/* Appends one line of the HBA library's journal; a line that no longer fits is dropped. */
static NTSTATUS note_hba_call(PIRP irp, const void* buffer, ULONG in_len) {
    if (buffer == NULL && in_len > 0) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    world_lock();
    if (in_len <= sizeof hba_journal - hba_journal_length) {
        RtlCopyMemory(hba_journal + hba_journal_length, buffer, in_len);
        hba_journal_length += in_len;
    }
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS read_hba_journal(PIRP irp, void* buffer, ULONG out_len) {
    if (out_len > 0 && buffer == NULL) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    world_lock();
    ULONG n = hba_journal_length < out_len ? hba_journal_length : out_len;
    RtlCopyMemory(buffer, hba_journal, n);
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, n);
}

static NTSTATUS clear_hba_journal(PIRP irp) {
    world_lock();
    hba_journal_length = 0;
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

NTSTATUS sim_device_control(PIRP irp, PIO_STACK_LOCATION stack) {
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG in_len = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_len = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    switch (code) {
    case RAVLINSIM_LOAD_WORLD:
        return load_world(irp, buffer, in_len);
    case RAVLINSIM_READ_WORLD:
        return read_world(irp, buffer, out_len);
    case RAVLINSIM_READ_HBA:
        return read_hba(irp, buffer, out_len);
    case RAVLINSIM_HBA_NOTE:
        return note_hba_call(irp, buffer, in_len);
    case RAVLINSIM_HBA_JOURNAL:
        return read_hba_journal(irp, buffer, out_len);
    case RAVLINSIM_HBA_CLEAR:
        return clear_hba_journal(irp);
    default:
        return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}
