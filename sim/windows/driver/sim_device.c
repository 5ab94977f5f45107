/* \\.\RAVLINSIM: the private requests that load and read the whole world, the
 * one that gives the test HBA library its adapters, the test device tree's calls,
 * and the journals of both test libraries. */
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

/* A journal of calls kept as text by the driver for a test library that runs in
 * other processes (the HBA library, the device-tree DLLs). */
struct text_journal {
    char* text;
    ULONG size;
    ULONG length;
};

static char hba_text[RAVLINSIM_HBA_JOURNAL_SIZE];
static struct text_journal hba_journal = {hba_text, sizeof hba_text, 0};
static char tree_text[RAVLINSIM_TREE_JOURNAL_SIZE];
static struct text_journal tree_journal = {tree_text, sizeof tree_text, 0};

/* Appends one line; a line that no longer fits is dropped. */
static NTSTATUS note_call(struct text_journal* journal, PIRP irp, const void* buffer, ULONG in_len) {
    if (buffer == NULL && in_len > 0) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    world_lock();
    if (in_len <= journal->size - journal->length) {
        RtlCopyMemory(journal->text + journal->length, buffer, in_len);
        journal->length += in_len;
    }
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS read_journal(struct text_journal* journal, PIRP irp, void* buffer, ULONG out_len) {
    if (out_len > 0 && buffer == NULL) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    world_lock();
    ULONG n = journal->length < out_len ? journal->length : out_len;
    RtlCopyMemory(buffer, journal->text, n);
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, n);
}

static NTSTATUS clear_journal(struct text_journal* journal, PIRP irp) {
    world_lock();
    journal->length = 0;
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

/* One device-tree call: the record goes in and comes back answered. */
static NTSTATUS tree_call(PIRP irp, void* buffer, ULONG in_len, ULONG out_len) {
    if (buffer == NULL || out_len != in_len) return complete_request(irp, status_from_windows_error(24), 0);
    world_lock();
    uint32_t error = sim_host_tree_call(buffer, in_len);
    world_unlock();
    if (error != 0) return complete_request(irp, status_from_windows_error(error), 0);
    return complete_request(irp, STATUS_SUCCESS, out_len);
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
        return note_call(&hba_journal, irp, buffer, in_len);
    case RAVLINSIM_HBA_JOURNAL:
        return read_journal(&hba_journal, irp, buffer, out_len);
    case RAVLINSIM_HBA_CLEAR:
        return clear_journal(&hba_journal, irp);
    case RAVLINSIM_TREE_CALL:
        return tree_call(irp, buffer, in_len, out_len);
    case RAVLINSIM_TREE_NOTE:
        return note_call(&tree_journal, irp, buffer, in_len);
    case RAVLINSIM_TREE_JOURNAL:
        return read_journal(&tree_journal, irp, buffer, out_len);
    case RAVLINSIM_TREE_CLEAR:
        return clear_journal(&tree_journal, irp);
    default:
        return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}
