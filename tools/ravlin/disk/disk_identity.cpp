// SCSI INQUIRY of vital product data pages 0x00 and 0xD0 through the disk's
// pass-through interface. Diagnostics go to the activity log only.
#include "disk_identity.h"

#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "invocation_settings.h"
#include "mpio_restart.h"
#include "scsi_disk.h"
#include "vpd_pages.h"

namespace {

constexpr uint8_t kPageSupported = 0x00;
constexpr uint8_t kPageVdiskName = 0xD0;
constexpr uint32_t kInquiryTimeoutSeconds = 60;

// The disk is not connected: have the driver refresh its port groups and restart
// the MPIO disks quietly. The restart pass moves the shared device cursor, which a
// listing in progress still needs, so the cursor is put back afterwards.
void recover_disconnected_disk() {
    exec_send_rtpg();
    int32_t cursor = g_settings.first_device;
    restart_mpio_disks(0);
    g_settings.first_device = cursor;
}

}  // namespace

int32_t get_dev_handle(const char* device_path, PlatformHandle* handle) {
    PlatformHandle h = platform_open_disk(device_path);
    if (h.value == 0) {
        write_activity_log("CreateFile handle is invalid,device(%s).\n", device_path);
        return -1;
    }
    *handle = h;
    return 0;
}

int32_t get_disk_vpd_page(PlatformHandle handle, uint8_t page_code, uint8_t* buffer) {
    DSM_SCSI_ADDRESS address = {};
    address.Length = sizeof address;
    uint32_t returned = 0;
    if (!platform_disk_control(handle, IOCTL_SCSI_GET_ADDRESS, &address, sizeof address, &address, sizeof address,
                               &returned)) {
        write_activity_log("GetDiskSCSIAddress io error(%d).\n", 0);
        write_activity_log("get_dev_scsi_address failed.\n");
        return -1;
    }

    DSM_SCSI_PASS_THROUGH64 header = {};
    header.Length = sizeof header;
    header.PathId = address.PathId;
    header.TargetId = address.TargetId;
    header.Lun = address.Lun;
    header.CdbLength = 6;
    header.SenseInfoLength = uint8_t(kVpdSenseLength);
    header.DataIn = kScsiDataIn;
    header.DataTransferLength = kVpdDataLength;
    header.TimeOutValue = kInquiryTimeoutSeconds;
    header.DataBufferOffset = kVpdDataOffset;
    header.SenseInfoOffset = kVpdSenseOffset;
    header.Cdb[0] = kScsiInquiry;
    header.Cdb[1] = 0x01;  // EVPD
    header.Cdb[2] = page_code;
    header.Cdb[4] = uint8_t(kVpdDataLength);
    memcpy(buffer, &header, sizeof header);

    if (platform_disk_control(handle, IOCTL_SCSI_PASS_THROUGH, buffer, kVpdRequestIn, buffer, kVpdRequestOut,
                              &returned))
        return 0;
    uint32_t error = platform_last_error();
    write_activity_log("GetDisk Page io error: %d.\n", int(error));
    if (error == DSM_ERROR_DEVICE_NOT_CONNECTED) recover_disconnected_disk();
    return -1;
}

int32_t get_disk_00_page(const char* device_path, char (*cells)[3], int32_t* cell_count) {
    PlatformHandle handle;
    if (get_dev_handle(device_path, &handle) != 0) {
        write_activity_log("get_dev_handle open device failed, device(%s).\n", device_path);
        return -1;
    }
    uint8_t buffer[kVpdBufferSize] = {};
    if (get_disk_vpd_page(handle, kPageSupported, buffer) != 0) {
        write_activity_log("get_disk_00_page failed, device(%s).\n", device_path);
        platform_close_disk(handle);
        return -1;
    }
    if (vpd_data_byte(buffer, sizeof buffer, 3) == 0) {
        *cell_count = 0;
        write_activity_log("GetDisk0x00Page Page Length error.\n");
        platform_close_disk(handle);
        return -1;
    }
    *cell_count = decode_vpd_00(buffer, sizeof buffer, cells);
    platform_close_disk(handle);
    return 0;
}

int32_t get_disk_d0_page(const char* device_path, char* vdisk_name) {
    PlatformHandle handle;
    if (get_dev_handle(device_path, &handle) != 0) {
        write_activity_log("get_dev_handle open device failed, device(%s).\n", device_path);
        return -1;
    }
    uint8_t buffer[kVpdBufferSize] = {};
    if (get_disk_vpd_page(handle, kPageVdiskName, buffer) != 0) {
        write_activity_log("get_disk_d0_page failed, device(%s).\n", device_path);
        platform_close_disk(handle);
        return -1;
    }
    int32_t length = decode_vpd_d0(buffer, sizeof buffer, vdisk_name);
    platform_close_disk(handle);
    if (length == 0) {
        write_activity_log("Get Disk 0xd0 Page error, vdisk name is NULL\n");
        return -1;
    }
    return 0;
}
