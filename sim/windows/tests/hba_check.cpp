// Checks the test hbaapi.dll the way fenmar loads it: LoadLibraryA by name,
// every function by GetProcAddress, then what the functions answer for the world
// that run_wine_checks.py has loaded into the test driver:
//   hba_check four-adapters   sim/windows/tests/scenarios/hba-four-adapters.json
//   hba_check load-fails      sim/windows/tests/scenarios/hba-load-fails.json
//   hba_check sample          sim/scenarios/sample-san.json
//   hba_check none            a world without adapters, or no test driver at all
// Prints one line per failed check and a closing "N passed, N failed"; exits 1 on any failure.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "hba_api.h"

namespace {

int g_passed = 0;
int g_failed = 0;

void check(bool ok, const char* what, unsigned long got = 0, unsigned long expected = 0) {
    if (ok) {
        g_passed++;
        return;
    }
    g_failed++;
    printf("FAIL %s (got %lu, expected %lu)\n", what, got, expected);
}

using Api = HbaFunctions;

template <typename F>
bool bind(HMODULE library, const char* name, F* out) {
    *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    check(*out != nullptr, name);
    return *out != nullptr;
}

bool bind_all(HMODULE library, Api* api) {
    return bind(library, "HBA_GetVersion", &api->get_version) && bind(library, "HBA_LoadLibrary", &api->load_library) &&
           bind(library, "HBA_GetNumberOfAdapters", &api->number_of_adapters) &&
           bind(library, "HBA_GetAdapterName", &api->adapter_name) &&
           bind(library, "HBA_OpenAdapter", &api->open_adapter) &&
           bind(library, "HBA_GetAdapterAttributes", &api->adapter_attributes) &&
           bind(library, "HBA_GetAdapterPortAttributes", &api->port_attributes) &&
           bind(library, "HBA_GetDiscoveredPortAttributes", &api->discovered_attributes) &&
           bind(library, "HBA_FreeLibrary", &api->free_library) &&
           bind(library, "HBA_CloseAdapter", &api->close_adapter);
}

void check_four_adapters(const Api& api) {
    check(api.load_library() == HBA_STATUS_OK, "HBA_LoadLibrary reads the world's adapters");
    check(api.get_version() == 3, "HBA_GetVersion", api.get_version(), 3);
    check(api.number_of_adapters() == 4, "four adapters", api.number_of_adapters(), 4);

    char name[256];
    check(api.adapter_name(0, name) == HBA_STATUS_OK && strcmp(name, "HBA-A") == 0, "the first adapter's name");
    check(api.adapter_name(4, name) == HBA_STATUS_ERROR_ILLEGAL_INDEX, "no fifth adapter");
    HBA_HANDLE handle = api.open_adapter(name);
    check(handle != 0, "the first adapter opens");

    HBA_ADAPTERATTRIBUTES a;
    memset(&a, 0xCC, sizeof a);
    check(api.adapter_attributes(handle, &a) == HBA_STATUS_OK, "adapter attributes");
    check(strcmp(a.Manufacturer, "Example Adapters") == 0 && strcmp(a.Model, "FC2") == 0 &&
              strcmp(a.DriverVersion, "9.1") == 0 && strcmp(a.OptionROMVersion, "3.28") == 0 &&
              strcmp(a.FirmwareVersion, "8.07") == 0 && a.SerialNumber[0] == '\0' && a.DriverName[0] == '\0',
          "the adapter's texts, the rest zeroed");
    check(a.NumberOfPorts == 2, "NumberOfPorts counts the listed ports", a.NumberOfPorts, 2);
    check(a.NodeWWN.wwn[0] == 0x20 && a.NodeWWN.wwn[7] == 0x01, "the node WWN");

    HBA_PORTATTRIBUTES p;
    check(api.port_attributes(handle, 0, &p) == HBA_STATUS_OK, "port 0 attributes");
    const uint8_t wwn[8] = {0x21, 0x00, 0x0A, 0x0B, 0x0C, 0x3A, 0x5B, 0x6C};
    check(memcmp(p.PortWWN.wwn, wwn, 8) == 0, "the port WWN in byte order");
    check(p.PortFcId == 0x010400 && p.PortType == 5 && p.PortState == 2 && p.PortSpeed == 4, "the port's codes");
    check(strcmp(p.OSDeviceName, "\\\\.\\Scsi4:") == 0 && p.OSDeviceName[8] == '4' && p.OSDeviceName[10] == '\0',
          "the OS device name, port number at position 8");
    check(p.NumberofDiscoveredPorts == 2, "discovered ports counted", p.NumberofDiscoveredPorts, 2);
    check(api.port_attributes(handle, 1, &p) == HBA_STATUS_OK && p.NumberofDiscoveredPorts == 3,
          "a given count overrides the listed ports", p.NumberofDiscoveredPorts, 3);
    check(api.port_attributes(handle, 2, &p) == HBA_STATUS_ERROR_ILLEGAL_INDEX, "no port 2");

    check(api.discovered_attributes(handle, 0, 1, &p) == HBA_STATUS_OK && p.PortType == 7 && p.PortFcId == 0x010600,
          "the second discovered port of port 0");
    check(api.discovered_attributes(handle, 0, 0, &p) == HBA_STATUS_OK && p.PortFcId == 0x000500 && p.PortSpeed == 8 &&
              p.PortType == 6 && p.PortState == 3 && p.PortWWN.wwn[7] == 0xCD,
          "a discovered port with a zero top address byte");
    check(api.discovered_attributes(handle, 1, 0, &p) == HBA_STATUS_ERROR, "a discovered port that fails");
    check(api.discovered_attributes(handle, 1, 1, &p) == HBA_STATUS_ERROR_ILLEGAL_INDEX,
          "a counted but unlisted discovered port");
    api.close_adapter(handle);
    check(api.port_attributes(handle, 0, &p) == HBA_STATUS_ERROR_INVALID_HANDLE, "a closed handle is refused");

    check(api.adapter_name(1, name) == HBA_STATUS_OK && api.open_adapter(name) == 0, "an adapter that fails to open");
    check(api.adapter_name(2, name) == HBA_STATUS_ERROR, "an adapter whose name fails");
    char c_name[256] = "HBA-C";
    handle = api.open_adapter(c_name);
    check(handle != 0 && api.adapter_attributes(handle, &a) == HBA_STATUS_OK && a.NumberOfPorts == 3,
          "a given port count overrides the listed ports", a.NumberOfPorts, 3);
    check(api.port_attributes(handle, 1, &p) == HBA_STATUS_ERROR, "a port that fails");
    check(api.port_attributes(handle, 2, &p) == HBA_STATUS_ERROR_ILLEGAL_INDEX, "a counted but unlisted port");
    api.close_adapter(handle);
    check(api.adapter_name(3, name) == HBA_STATUS_OK, "the fourth adapter's name");
    handle = api.open_adapter(name);
    check(handle != 0 && api.adapter_attributes(handle, &a) == HBA_STATUS_ERROR, "adapter attributes that fail");
    api.close_adapter(handle);
    check(api.adapter_attributes(5, &a) == HBA_STATUS_ERROR_INVALID_HANDLE, "a handle never given out");
    check(api.free_library() == HBA_STATUS_OK && api.number_of_adapters() == 0, "nothing after HBA_FreeLibrary");
    check(api.load_library() == HBA_STATUS_OK && api.number_of_adapters() == 4, "loaded again");
    api.free_library();
}

void check_load_fails(const Api& api) {
    check(api.load_library() == HBA_STATUS_ERROR, "a failing HBA_LoadLibrary");
    check(api.number_of_adapters() == 0, "no adapters after a failed load");
}

// One adapter with a port per FC bus of the sample SAN, two storage ports behind each.
void check_sample(const Api& api) {
    check(api.load_library() == HBA_STATUS_OK && api.number_of_adapters() == 1, "the sample's one adapter");
    char name[256];
    check(api.adapter_name(0, name) == HBA_STATUS_OK, "its name");
    HBA_HANDLE handle = api.open_adapter(name);
    HBA_ADAPTERATTRIBUTES a;
    check(api.adapter_attributes(handle, &a) == HBA_STATUS_OK && a.NumberOfPorts == 2, "two ports", a.NumberOfPorts, 2);
    for (HBA_UINT32 port = 0; port < 2; port++) {
        HBA_PORTATTRIBUTES p;
        check(api.port_attributes(handle, port, &p) == HBA_STATUS_OK && p.OSDeviceName[8] == char('4' + port) &&
                  p.NumberofDiscoveredPorts == 2,
              "a port on the sample's SCSI port 4 or 5, two storage ports discovered", port);
        check(api.discovered_attributes(handle, port, 1, &p) == HBA_STATUS_OK && p.PortType == HBA_PORTTYPE_NPORT &&
                  p.PortState == HBA_PORTSTATE_ONLINE,
              "an online storage port", port);
    }
    api.close_adapter(handle);
    api.free_library();
}

void check_none(const Api& api) {
    check(api.load_library() == HBA_STATUS_OK, "HBA_LoadLibrary without adapters");
    check(api.get_version() == 2, "the default version", api.get_version(), 2);
    check(api.number_of_adapters() == 0, "no adapters", api.number_of_adapters(), 0);
    char name[256];
    check(api.adapter_name(0, name) == HBA_STATUS_ERROR_ILLEGAL_INDEX, "no adapter 0");
    api.free_library();
}

}  // namespace

int main(int argc, char** argv) {
    void (*run)(const Api&) = nullptr;
    if (argc == 2 && strcmp(argv[1], "four-adapters") == 0) run = check_four_adapters;
    else if (argc == 2 && strcmp(argv[1], "load-fails") == 0) run = check_load_fails;
    else if (argc == 2 && strcmp(argv[1], "sample") == 0) run = check_sample;
    else if (argc == 2 && strcmp(argv[1], "none") == 0) run = check_none;
    if (run == nullptr) {
        printf("usage: hba_check four-adapters|load-fails|sample|none\n");
        return 2;
    }
    HMODULE library = LoadLibraryA("hbaapi.dll");
    check(library != nullptr, "LoadLibraryA(\"hbaapi.dll\")", library != nullptr ? 0 : GetLastError(), 0);
    Api api = {};
    if (library != nullptr && bind_all(library, &api)) run(api);
    if (library != nullptr) FreeLibrary(library);
    printf("hba_check: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
