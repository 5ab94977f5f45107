// The test HBA library (hbaapi.dll, 32-bit, and the Linux libsimhba.so): the ten
// HBA API functions that fenmar looks up, answering from the simulated world
// instead of hardware. HBA_LoadLibrary takes the world's adapters (from the test
// driver; from the world file), as a real library takes them from its adapters'
// drivers; later changes to the world show at the next load.
// Every call is journalled with its arguments and result (hba_journal_note), so a
// test can see that each opened adapter is closed and the library freed.
// Built once whole, and once without each function (SIM_HBA_LEAVE_OUT names the
// function's place in fenmar's order, 1 to 10) for the missing-function failures.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "hba_api.h"
#include "hba_snapshot_read.h"

#ifndef SIM_HBA_LEAVE_OUT
#define SIM_HBA_LEAVE_OUT 0
#endif

namespace {

SimHbaSnapshot g_snapshot;  // counts clamped, texts terminated by hba_snapshot_read
bool g_loaded;
bool g_open[SIM_HBA_MAX_ADAPTERS];  // handle i + 1 is open

// The adapter of an open handle, or nullptr (a closed or never given handle).
const SimHbaAdapterRecord* adapter_of(HBA_HANDLE handle) {
    if (!g_loaded || handle == 0 || handle > g_snapshot.adapter_count || !g_open[handle - 1]) return nullptr;
    return &g_snapshot.adapters[handle - 1];
}

// Journals one call: the formatted line and its line end.
__attribute__((format(printf, 1, 2))) void note(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) return;
    size_t end = size_t(n) < sizeof line - 2 ? size_t(n) : sizeof line - 2;
    line[end] = '\n';
    line[end + 1] = '\0';
    hba_journal_note(line);
}

// Handles open now (each one the caller has yet to close).
[[maybe_unused]] int open_handles() {
    int n = 0;
    for (bool open : g_open) n += open;
    return n;
}

template <size_t N>
void copy_text(char (&dst)[N], const char (&src)[N]) {
    memcpy(dst, src, N);
}

void fill_port(const SimHbaPortRecord* p, HBA_PORTATTRIBUTES* out) {
    memset(out, 0, sizeof *out);
    memcpy(out->NodeWWN.wwn, p->node_wwn, 8);
    memcpy(out->PortWWN.wwn, p->port_wwn, 8);
    out->PortFcId = p->fc_id;
    out->PortType = p->type;
    out->PortState = p->state;
    out->PortSpeed = p->speed;
    out->PortSupportedSpeed = p->speed;
    copy_text(out->OSDeviceName, p->os_device_name);
    out->NumberofDiscoveredPorts = p->reported_discovered;
}

}  // namespace

extern "C" {

#if SIM_HBA_LEAVE_OUT != 1  // HBA_GetVersion
HBA_UINT32 HBA_GetVersion(void) {
    HBA_UINT32 version = g_loaded ? g_snapshot.version : SIM_HBA_DEFAULT_VERSION;
    note("HBA_GetVersion() -> %u", unsigned(version));
    return version;
}
#endif

#if SIM_HBA_LEAVE_OUT != 2  // HBA_LoadLibrary
HBA_STATUS HBA_LoadLibrary(void) {
    g_loaded = false;
    memset(g_open, 0, sizeof g_open);
    g_loaded = hba_snapshot_read(&g_snapshot) && !(g_snapshot.fail & SIM_HBA_FAIL_LOAD_LIBRARY);
    HBA_STATUS status = g_loaded ? HBA_STATUS_OK : HBA_STATUS_ERROR;
    note("HBA_LoadLibrary() -> %u", unsigned(status));
    return status;
}
#endif

#if SIM_HBA_LEAVE_OUT != 9  // HBA_FreeLibrary
HBA_STATUS HBA_FreeLibrary(void) {
    note("HBA_FreeLibrary() -> 0 open=%d%s", open_handles(), g_loaded ? "" : " (not loaded)");
    g_loaded = false;
    return HBA_STATUS_OK;
}
#endif

#if SIM_HBA_LEAVE_OUT != 3  // HBA_GetNumberOfAdapters
HBA_UINT32 HBA_GetNumberOfAdapters(void) {
    HBA_UINT32 n = g_loaded ? g_snapshot.adapter_count : 0;
    note("HBA_GetNumberOfAdapters() -> %u", unsigned(n));
    return n;
}
#endif

#if SIM_HBA_LEAVE_OUT != 4  // HBA_GetAdapterName
// `adapter_name` is the caller's 256-byte buffer, as the API prescribes.
static HBA_STATUS adapter_name_of(HBA_UINT32 adapter_index, char* adapter_name) {
    if (adapter_name == nullptr) return HBA_STATUS_ERROR_ARG;
    if (!g_loaded || adapter_index >= g_snapshot.adapter_count) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    const SimHbaAdapterRecord* a = &g_snapshot.adapters[adapter_index];
    if (a->fail & SIM_HBA_FAIL_NAME) return HBA_STATUS_ERROR;
    memcpy(adapter_name, a->name, sizeof a->name);
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetAdapterName(HBA_UINT32 adapter_index, char* adapter_name) {
    HBA_STATUS status = adapter_name_of(adapter_index, adapter_name);
    if (status == HBA_STATUS_OK) note("HBA_GetAdapterName(%u) -> 0 \"%.255s\"", unsigned(adapter_index), adapter_name);
    else note("HBA_GetAdapterName(%u) -> %u", unsigned(adapter_index), unsigned(status));
    return status;
}
#endif

#if SIM_HBA_LEAVE_OUT != 5  // HBA_OpenAdapter
static HBA_HANDLE open_adapter(const char* adapter_name) {
    if (!g_loaded || adapter_name == nullptr) return 0;
    for (uint32_t i = 0; i < g_snapshot.adapter_count; i++) {
        const SimHbaAdapterRecord* a = &g_snapshot.adapters[i];
        if (strncmp(a->name, adapter_name, sizeof a->name) != 0) continue;
        if (a->fail & SIM_HBA_FAIL_OPEN) return 0;
        g_open[i] = true;
        return HBA_HANDLE(i + 1);
    }
    return 0;
}

HBA_HANDLE HBA_OpenAdapter(char* adapter_name) {
    HBA_HANDLE handle = open_adapter(adapter_name);
    note("HBA_OpenAdapter(\"%.255s\") -> handle %u", adapter_name != nullptr ? adapter_name : "", unsigned(handle));
    return handle;
}
#endif

#if SIM_HBA_LEAVE_OUT != 10  // HBA_CloseAdapter
void HBA_CloseAdapter(HBA_HANDLE handle) {
    bool open = adapter_of(handle) != nullptr;
    if (open) g_open[handle - 1] = false;
    note("HBA_CloseAdapter(%u)%s", unsigned(handle), open ? "" : " (not open)");
}
#endif

#if SIM_HBA_LEAVE_OUT != 6  // HBA_GetAdapterAttributes
static HBA_STATUS adapter_attributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
    const SimHbaAdapterRecord* a = adapter_of(handle);
    if (a == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    if (a->fail & SIM_HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    memset(attributes, 0, sizeof *attributes);
    copy_text(attributes->Manufacturer, a->manufacturer);
    copy_text(attributes->SerialNumber, a->serial_number);
    copy_text(attributes->Model, a->model);
    copy_text(attributes->DriverVersion, a->driver_version);
    copy_text(attributes->OptionROMVersion, a->option_rom_version);
    copy_text(attributes->FirmwareVersion, a->firmware_version);
    memcpy(attributes->NodeWWN.wwn, a->node_wwn, 8);
    attributes->NumberOfPorts = a->reported_ports;
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
    HBA_STATUS status = adapter_attributes(handle, attributes);
    note("HBA_GetAdapterAttributes(%u) -> %u", unsigned(handle), unsigned(status));
    return status;
}
#endif

#if SIM_HBA_LEAVE_OUT != 7  // HBA_GetAdapterPortAttributes
static HBA_STATUS port_attributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTATTRIBUTES* attributes) {
    const SimHbaAdapterRecord* a = adapter_of(handle);
    if (a == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    if (port_index >= a->port_count) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    const SimHbaPortRecord* p = &a->ports[port_index].attributes;
    if (p->fail & SIM_HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    fill_port(p, attributes);
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTATTRIBUTES* attributes) {
    HBA_STATUS status = port_attributes(handle, port_index, attributes);
    note("HBA_GetAdapterPortAttributes(%u, %u) -> %u", unsigned(handle), unsigned(port_index), unsigned(status));
    return status;
}
#endif

#if SIM_HBA_LEAVE_OUT != 8  // HBA_GetDiscoveredPortAttributes
static HBA_STATUS discovered_attributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_UINT32 discovered_index,
                                        HBA_PORTATTRIBUTES* attributes) {
    const SimHbaAdapterRecord* a = adapter_of(handle);
    if (a == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
    if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
    if (port_index >= a->port_count || discovered_index >= a->ports[port_index].attributes.discovered_count)
        return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    const SimHbaPortRecord* p = &a->ports[port_index].discovered[discovered_index];
    if (p->fail & SIM_HBA_FAIL_ATTRIBUTES) return HBA_STATUS_ERROR;
    fill_port(p, attributes);
    return HBA_STATUS_OK;
}

HBA_STATUS HBA_GetDiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_UINT32 discovered_index,
                                           HBA_PORTATTRIBUTES* attributes) {
    HBA_STATUS status = discovered_attributes(handle, port_index, discovered_index, attributes);
    note("HBA_GetDiscoveredPortAttributes(%u, %u, %u) -> %u", unsigned(handle), unsigned(port_index),
         unsigned(discovered_index), unsigned(status));
    return status;
}
#endif

}  // extern "C"
