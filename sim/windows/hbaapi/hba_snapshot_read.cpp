// Reads the HBA snapshot from the test driver.
#include "hba_snapshot_read.h"

#include <windows.h>

#include <string.h>

#include "sim_control.h"

namespace {

uint32_t clamp(uint32_t n, int limit) { return n > uint32_t(limit) ? uint32_t(limit) : n; }

template <size_t N>
void terminate(char (&text)[N]) {
    text[N - 1] = '\0';
}

// The record comes from another process's memory: the library indexes its
// tables with these counts and copies these texts, so neither may overrun.
void make_safe(SimHbaSnapshot* s) {
    s->adapter_count = clamp(s->adapter_count, SIM_HBA_MAX_ADAPTERS);
    for (SimHbaAdapterRecord& a : s->adapters) {
        terminate(a.name);
        terminate(a.manufacturer);
        terminate(a.serial_number);
        terminate(a.model);
        terminate(a.driver_version);
        terminate(a.option_rom_version);
        terminate(a.firmware_version);
        a.port_count = clamp(a.port_count, SIM_HBA_MAX_PORTS);
        for (SimHbaHostPortRecord& p : a.ports) {
            terminate(p.attributes.os_device_name);
            p.attributes.discovered_count = clamp(p.attributes.discovered_count, SIM_HBA_MAX_DISCOVERED);
            for (SimHbaPortRecord& d : p.discovered) terminate(d.os_device_name);
        }
    }
}

}  // namespace

bool hba_snapshot_read(SimHbaSnapshot* out) {
    memset(out, 0, sizeof *out);
    out->version = SIM_HBA_DEFAULT_VERSION;
    HANDLE device = CreateFileA(RAVLINSIM_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return true;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, RAVLINSIM_READ_HBA, nullptr, 0, out, sizeof *out, &returned, nullptr);
    CloseHandle(device);
    bool whole = ok && returned == sizeof *out;
    if (!whole) {
        memset(out, 0, sizeof *out);
        out->version = SIM_HBA_DEFAULT_VERSION;
    }
    make_safe(out);
    return whole;
}

void hba_journal_note(const char* line) {
    HANDLE device = CreateFileA(RAVLINSIM_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return;
    DWORD returned = 0;
    DeviceIoControl(device, RAVLINSIM_HBA_NOTE, const_cast<char*>(line), DWORD(strlen(line)), nullptr, 0, &returned,
                    nullptr);
    CloseHandle(device);
}
