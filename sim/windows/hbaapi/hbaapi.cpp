// The test hbaapi.dll (32-bit): the ten HBA API functions that fenmar looks up,
// answering from a data file instead of hardware. The file is the one named by
// the environment variable RAVLIN_HBA_DATA, else hbaapi_sim.txt beside this DLL;
// it is read by HBA_LoadLibrary. A missing file means no adapters.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "hba_api.h"
#include "hba_data.h"

namespace {

HMODULE g_module;
HbaData g_data;
bool g_loaded;
bool g_open[HBA_DATA_MAX_ADAPTERS];  // handle i + 1 is open
char g_text[256 * 1024];  // the data file; a larger one fails HBA_LoadLibrary

// The data file's path into `out`; false when it does not fit.
bool data_path(char* out, DWORD size) {
    DWORD n = GetEnvironmentVariableA("RAVLIN_HBA_DATA", out, size);
    if (n > 0 && n < size) return true;
    n = GetModuleFileNameA(g_module, out, size);
    if (n == 0 || n >= size) return false;
    char* slash = strrchr(out, '\\');
    size_t dir = slash != nullptr ? size_t(slash - out) + 1 : 0;
    return snprintf(out + dir, size - dir, "%s", "hbaapi_sim.txt") < int(size - dir);
}

// Reads the data file into g_text ("" when it is missing); false when it is too large.
bool read_text(const char* path) {
    g_text[0] = '\0';
    FILE* f = fopen(path, "rb");
    if (f == nullptr) return true;
    size_t n = fread(g_text, 1, sizeof g_text - 1, f);
    bool whole = n < sizeof g_text - 1 || fgetc(f) == EOF;
    fclose(f);
    g_text[n] = '\0';
    return whole;
}

// The adapter index of an open handle, or -1 (a closed or never given handle).
int32_t adapter_of(HBA_HANDLE handle) {
    if (!g_loaded || handle == 0 || handle > HBA_UINT32(g_data.adapter_count)) return -1;
    return g_open[handle - 1] ? int32_t(handle) - 1 : -1;
}

void copy_text(char* dst, size_t size, const char* src) { snprintf(dst, size, "%s", src); }

void fill_port(const HbaPortData* p, int32_t discovered, HBA_PORTATTRIBUTES* out) {
    memset(out, 0, sizeof *out);
    memcpy(out->NodeWWN.wwn, p->node_wwn, 8);
    memcpy(out->PortWWN.wwn, p->port_wwn, 8);
    out->PortFcId = p->fc_id;
    out->PortType = p->type;
    out->PortState = p->state;
    out->PortSpeed = p->speed;
    out->PortSupportedSpeed = p->speed;
    copy_text(out->OSDeviceName, sizeof out->OSDeviceName, p->os_device_name);
    out->NumberofDiscoveredPorts = HBA_UINT32(p->discovered_reported >= 0 ? p->discovered_reported : discovered);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

HBA_UINT32 HBA_GetVersion(void) { return g_loaded ? g_data.version : 2; }

HBA_STATUS HBA_LoadLibrary(void) {
    char path[MAX_PATH];
    char error[128];
    g_loaded = false;
    memset(g_open, 0, sizeof g_open);
    if (!data_path(path, sizeof path) || !read_text(path)) return HBA_STATUS_ERROR;
    if (!hba_data_parse(g_text, &g_data, error, sizeof error) || g_data.fail_load) return HBA_STATUS_ERROR;
    g_loaded = true;
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_FreeLibrary(void) {
    g_loaded = false;
    return HBA_STATUS_OK;
}

HBA_UINT32 HBA_GetNumberOfAdapters(void) { return g_loaded ? HBA_UINT32(g_data.adapter_count) : 0; }

// `adapter_name` is the caller's 256-byte buffer, as the API prescribes.
HBA_STATUS HBA_GetAdapterName(HBA_UINT32 adapter_index, char* adapter_name) {
    if (adapter_name == nullptr) return HBA_STATUS_ERROR_ARG;
    if (!g_loaded || adapter_index >= HBA_UINT32(g_data.adapter_count)) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    const HbaAdapterData* a = &g_data.adapters[adapter_index];
    if (a->fail & HBA_FAIL_NAME) return HBA_STATUS_ERROR;
    copy_text(adapter_name, 256, a->name);
    return HBA_STATUS_OK;
}

HBA_HANDLE HBA_OpenAdapter(char* adapter_name) {
    if (!g_loaded || adapter_name == nullptr) return 0;
    for (int32_t i = 0; i < g_data.adapter_count; i++) {
        if (strncmp(g_data.adapters[i].name, adapter_name, 256) != 0) continue;
        if (g_data.adapters[i].fail & HBA_FAIL_OPEN) return 0;
        g_open[i] = true;
        return HBA_HANDLE(i + 1);
    }
    return 0;
}

void HBA_CloseAdapter(HBA_HANDLE handle) {
    int32_t index = adapter_of(handle);
    if (index >= 0) g_open[index] = false;
}

HBA_STATUS HBA_GetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
    int32_t index = adapter_of(handle);
    if (index < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    const HbaAdapterData* a = &g_data.adapters[index];
    if (a->fail & HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    memset(attributes, 0, sizeof *attributes);
    copy_text(attributes->Manufacturer, sizeof attributes->Manufacturer, a->manufacturer);
    copy_text(attributes->SerialNumber, sizeof attributes->SerialNumber, a->serial_number);
    copy_text(attributes->Model, sizeof attributes->Model, a->model);
    copy_text(attributes->DriverVersion, sizeof attributes->DriverVersion, a->driver_version);
    copy_text(attributes->OptionROMVersion, sizeof attributes->OptionROMVersion, a->option_rom_version);
    copy_text(attributes->FirmwareVersion, sizeof attributes->FirmwareVersion, a->firmware_version);
    memcpy(attributes->NodeWWN.wwn, a->node_wwn, 8);
    int32_t ports = a->ports_reported >= 0 ? a->ports_reported : hba_data_port_count(&g_data, index);
    attributes->NumberOfPorts = HBA_UINT32(ports);
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTATTRIBUTES* attributes) {
    int32_t index = adapter_of(handle);
    if (index < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    const HbaPortData* p = hba_data_port(&g_data, index, port_index);
    if (p == nullptr) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    if (p->fail & HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    fill_port(p, hba_data_discovered_count(&g_data, index, port_index), attributes);
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetDiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_UINT32 discovered_index,
                                           HBA_PORTATTRIBUTES* attributes) {
    int32_t index = adapter_of(handle);
    if (index < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    const HbaPortData* p = hba_data_discovered(&g_data, index, port_index, discovered_index);
    if (p == nullptr) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    if (p->fail & HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    fill_port(p, 0, attributes);
    return HBA_STATUS_OK;
}

}  // extern "C"
