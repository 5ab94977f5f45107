/* The simulated disks as device objects \Device\RavlinDiskN with the names
 * \\.\PhysicalDriveN, remade whenever a world is loaded. A disk whose open is to
 * fail gets no name at all: Wine completes CreateFile before the driver sees the
 * create, so a missing name is the one way to fail the open (error 2).
 *
 * A disk_open fault works the same way: once the model says the next open of a
 * disk is to fail (the fault's use counted then), its name goes. The failed open
 * itself is never seen, so the name comes back at the first control-device
 * request after some disk handle has been closed: the caller has moved on by
 * then. Opening disk 1 twice with the second open failing, or failing the first
 * open of a device listing, mean the same as on Linux. */
#include "disk_device.h"

#include "sim_disk_host.h"
#include "status_map.h"

#define MAX_DISK_DEVICES 1024

static PDEVICE_OBJECT disk_devices[MAX_DISK_DEVICES];
static ULONG disk_numbers[MAX_DISK_DEVICES];
static UCHAR disk_linked[MAX_DISK_DEVICES];
static UCHAR disk_hidden[MAX_DISK_DEVICES]; /* name taken away by a disk_open fault */
static int disk_device_count;
static int disk_closed_while_hidden;

/* `prefix` followed by the decimal `number`, into `out` (room for 64 characters). */
static void name_with_number(WCHAR* out, const WCHAR* prefix, ULONG number) {
    int n = 0;
    while (prefix[n] != 0 && n < 40) {
        out[n] = prefix[n];
        n++;
    }
    WCHAR digits[12];
    int d = 0;
    do {
        digits[d++] = (WCHAR)(L'0' + number % 10);
        number /= 10;
    } while (number != 0 && d < 11);
    while (d > 0) out[n++] = digits[--d];
    out[n] = 0;
}

int is_disk_device(PDEVICE_OBJECT device) {
    for (int i = 0; i < disk_device_count; i++)
        if (disk_devices[i] == device) return 1;
    return 0;
}

static ULONG disk_number_of(PDEVICE_OBJECT device) { return *(ULONG*)device->DeviceExtension; }

/* Gives disk device `k` its \\.\PhysicalDriveN name, or takes it away. */
static void set_disk_link(int k, int present) {
    if (present == disk_linked[k]) return;
    WCHAR name[64];
    WCHAR link[64];
    UNICODE_STRING device_name, link_name;
    name_with_number(name, L"\\Device\\RavlinDisk", disk_numbers[k]);
    name_with_number(link, L"\\DosDevices\\PhysicalDrive", disk_numbers[k]);
    RtlInitUnicodeString(&device_name, name);
    RtlInitUnicodeString(&link_name, link);
    if (!present) {
        IoDeleteSymbolicLink(&link_name);
        disk_linked[k] = 0;
    } else if (NT_SUCCESS(IoCreateSymbolicLink(&link_name, &device_name))) {
        disk_linked[k] = 1;
    }
}

void disk_devices_remove(void) {
    for (int i = 0; i < disk_device_count; i++) {
        set_disk_link(i, 0);
        IoDeleteDevice(disk_devices[i]);
        disk_devices[i] = NULL;
        disk_hidden[i] = 0;
    }
    disk_device_count = 0;
    disk_closed_while_hidden = 0;
}

void disk_links_refresh(int control_request) {
    if (!sim_host_disk_open_faults() && !disk_closed_while_hidden) return;
    for (int k = 0; k < disk_device_count; k++) {
        if (disk_hidden[k] && control_request && disk_closed_while_hidden) {
            set_disk_link(k, 1);
            disk_hidden[k] = 0;
        }
        if (disk_linked[k] && sim_host_disk_open_refused(disk_numbers[k])) {
            set_disk_link(k, 0);
            disk_hidden[k] = 1;
        }
    }
    if (control_request) disk_closed_while_hidden = 0;
}

void disk_devices_update(PDRIVER_OBJECT driver) {
    disk_devices_remove();
    int32_t count = sim_host_disk_count();
    for (int32_t i = 0; i < count && disk_device_count < MAX_DISK_DEVICES; i++) {
        int openable = 0;
        ULONG number = sim_host_disk_number(i, &openable);
        WCHAR name[64];
        UNICODE_STRING device_name;
        name_with_number(name, L"\\Device\\RavlinDisk", number);
        RtlInitUnicodeString(&device_name, name);
        PDEVICE_OBJECT device = NULL;
        if (!NT_SUCCESS(IoCreateDevice(driver, sizeof(ULONG), &device_name, FILE_DEVICE_DISK, 0, FALSE, &device)))
            continue;
        *(ULONG*)device->DeviceExtension = number;
        device->Flags |= DO_BUFFERED_IO;
        device->Flags &= ~DO_DEVICE_INITIALIZING;
        int k = disk_device_count++;
        disk_devices[k] = device;
        disk_numbers[k] = number;
        disk_linked[k] = 0;
        disk_hidden[k] = 0;
        if (openable) set_disk_link(k, 1);
    }
    disk_links_refresh(0);
}

NTSTATUS disk_create(PDEVICE_OBJECT device, PIRP irp) {
    world_lock();
    uint32_t error = sim_host_disk_open(disk_number_of(device));
    disk_links_refresh(0);
    world_unlock();
    return complete_request(irp, status_from_windows_error(error), 0);
}

NTSTATUS disk_close(PDEVICE_OBJECT device, PIRP irp) {
    world_lock();
    sim_host_disk_close(disk_number_of(device));
    for (int k = 0; k < disk_device_count; k++)
        if (disk_hidden[k]) disk_closed_while_hidden = 1;
    world_unlock();
    return complete_request(irp, STATUS_SUCCESS, 0);
}

NTSTATUS disk_device_control(PDEVICE_OBJECT device, PIRP irp, PIO_STACK_LOCATION stack) {
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG in_len = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_len = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG size = in_len > out_len ? in_len : out_len;
    if ((code & 3) != METHOD_BUFFERED) return complete_request(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (size > 0 && buffer == NULL) return complete_request(irp, STATUS_INVALID_PARAMETER, 0);
    /* Only the input bytes are the caller's. */
    if (size > in_len) RtlZeroMemory(buffer + in_len, size - in_len);
    uint32_t returned = 0;
    world_lock();
    uint32_t error = sim_host_disk_answer(disk_number_of(device), code, buffer, in_len, out_len, &returned);
    disk_links_refresh(0);
    world_unlock();
    if (error != 0) return complete_request(irp, status_from_windows_error(error), 0);
    return complete_request(irp, STATUS_SUCCESS, returned <= out_len ? returned : out_len);
}
