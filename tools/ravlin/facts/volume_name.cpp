// The volume (vdisk) name of a device: read in band from the disk's VPD page
// 0xD0 while a path is open, otherwise recalled from the name cache. Every failure
// is logged, never printed.
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "device_facts.h"
#include "disk_identity.h"
#include "platform.h"
#include "vdisk_cache.h"

namespace {

// At most this many digits of the disk number go into the disk path.
constexpr size_t kMaxDiskDigits = 15;

// "\\.\PhysicalDrive" and the digits that start 16 characters into the NT name.
void disk_path(const char (&device_name)[48], char* out, size_t size) {
    char digits[kMaxDiskDigits + 1] = {};
    size_t n = 0;
    for (size_t i = 16; i < sizeof device_name && n < kMaxDiskDigits; i++) {
        if (device_name[i] < '0' || device_name[i] > '9') break;
        digits[n++] = device_name[i];
    }
    snprintf(out, size, "\\\\.\\PhysicalDrive%s", digits);
}

// The name from the disk itself; the failure reason when there is none.
const char* read_in_band(const char* path, char* name) {
    static char cells[kVpdCellMax][3];
    int32_t count = 0;
    memset(cells, 0, sizeof cells);
    if (get_disk_00_page(path, cells, &count) != 0) return "Get 00 page of device failed.\n";
    if (count > kVpdCellMax) count = kVpdCellMax;
    bool has_d0 = false;
    for (int32_t i = 0; i < count && !has_d0; i++) has_d0 = cells[i][0] == 'd' && cells[i][1] == '0' && cells[i][2] == '\0';
    if (!has_d0) return "We can not get D0 page to get vdisk name.\n";
    if (get_disk_d0_page(path, name) != 0) return "Get D0 page of device failed.\n";
    return nullptr;
}

}  // namespace

VdiskSource find_vdisk_name(const DSM_DEVICE_RECORD* r, char* name) {
    char device[sizeof r->DeviceName + 1];
    memcpy(device, r->DeviceName, sizeof r->DeviceName);
    device[sizeof r->DeviceName] = '\0';
    char serial[sizeof r->SerialNumber + 1];
    memcpy(serial, r->SerialNumber, sizeof r->SerialNumber);
    serial[sizeof r->SerialNumber] = '\0';

    memset(name, 0, kVdiskNameSize);
    uint32_t paths = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    uint32_t open = 0;
    for (uint32_t i = 0; i < paths; i++) open += r->Paths[i].State == DSM_PATH_OPEN;

    if (open == 0) {
        write_activity_log("This device (%s) is a Failed device\n", device);
        int found = 0;
        if (vdisk_cache_file_exists()) {
            load_vdisk_name(serial, name, &found);
        } else {
            write_activity_log(
                "This device (%s) is a Failed device and we can not get the vdisk name config file\n", device);
        }
        name[kVdiskNameSize - 1] = '\0';
        if (found != 1) write_activity_log("This device (%s) is a Failed device, we can not get vdisk name from file\n", device);
        else if (name[0] != '\0') return VdiskSource::Cache;
        else write_activity_log("This device (%s) is a Failed device, we get vdisk name from file is NULL\n", device);
        return VdiskSource::None;
    }

    char path[48];
    disk_path(r->DeviceName, path, sizeof path);
    const char* reason = read_in_band(path, name);
    name[kVdiskNameSize - 1] = '\0';
    VdiskSource source = VdiskSource::Disk;
    if (reason == nullptr) {
        save_vdisk_name(serial, name);
    } else {
        write_activity_log_as_is(reason);
        write_activity_log("Device (%s), unable to get vdisk name using in-band channel, we try to get vdisk name from file.\n",
                           serial);
        memset(name, 0, kVdiskNameSize);
        int found = 0;
        load_vdisk_name(serial, name, &found);
        name[kVdiskNameSize - 1] = '\0';
        source = VdiskSource::Cache;
    }
    if (name[0] != '\0') return source;
    write_activity_log("This device (%s), the vdisk name obtained is NULL\n", device);
    return VdiskSource::None;
}
