// Checks the test hbaapi.dll the way fenmar loads it: LoadLibraryA by name,
// every function by GetProcAddress, then what the functions answer for data
// files written here (RAVLIN_HBA_DATA points the library at them).
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

struct Api {
    HBA_GetVersionFunc get_version;
    HBA_LoadLibraryFunc load_library;
    HBA_GetNumberOfAdaptersFunc number_of_adapters;
    HBA_GetAdapterNameFunc adapter_name;
    HBA_OpenAdapterFunc open_adapter;
    HBA_GetAdapterAttributesFunc adapter_attributes;
    HBA_GetAdapterPortAttributesFunc port_attributes;
    HBA_GetDiscoveredPortAttributesFunc discovered_attributes;
    HBA_FreeLibraryFunc free_library;
    HBA_CloseAdapterFunc close_adapter;
};

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

char g_path[MAX_PATH];

// Points the library at a data file holding `text` (nullptr: no file at all).
void use_data(const char* text) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    snprintf(g_path, sizeof g_path, "%shba_check_%lu.txt", dir, GetCurrentProcessId());
    DeleteFileA(g_path);
    if (text != nullptr) {
        FILE* f = fopen(g_path, "wb");
        if (f != nullptr) {
            fputs(text, f);
            fclose(f);
        }
    }
    SetEnvironmentVariableA("RAVLIN_HBA_DATA", g_path);
}

const char kTwoAdapters[] =
    "# two adapters, two ports each\n"
    "version 3\n"
    "adapter name=QL-A manufacturer=\"Fabric Corp\" model=FC2 driver=9.1 rom=3.28 firmware=8.07 node_wwn=20000024FF000001\n"
    "port wwn=21000024FF3A5B6C fcid=0x010400 type=5 state=2 speed=4 os=\\\\.\\Scsi4:\n"
    "discovered wwn=500507680140ABCD fcid=0x000500 type=6 state=3 speed=8\n"
    "discovered wwn=500507680140ABCE fcid=0x010600 type=7 state=2 speed=1\n"
    "port wwn=21000024FF3A5B6D fcid=0x020400 type=5 state=2 speed=2 os=\\\\.\\Scsi5: discovered=3\n"
    "adapter name=QL-B model=FC4 fail=open\n"
    "port wwn=21000024FF3A5B70\n"
    "port wwn=21000024FF3A5B71 fail=attributes\n";

void check_data(const Api& api) {
    use_data(kTwoAdapters);
    check(api.load_library() == HBA_STATUS_OK, "HBA_LoadLibrary reads the data file");
    check(api.get_version() == 3, "HBA_GetVersion", api.get_version(), 3);
    check(api.number_of_adapters() == 2, "two adapters", api.number_of_adapters(), 2);

    char name[256];
    check(api.adapter_name(0, name) == HBA_STATUS_OK && strcmp(name, "QL-A") == 0, "the first adapter's name");
    check(api.adapter_name(2, name) != HBA_STATUS_OK, "no third adapter");
    HBA_HANDLE handle = api.open_adapter(name);
    check(handle != 0, "the first adapter opens");

    HBA_ADAPTERATTRIBUTES a;
    memset(&a, 0xCC, sizeof a);
    check(api.adapter_attributes(handle, &a) == HBA_STATUS_OK, "adapter attributes");
    check(strcmp(a.Manufacturer, "Fabric Corp") == 0 && strcmp(a.Model, "FC2") == 0 &&
              strcmp(a.DriverVersion, "9.1") == 0 && strcmp(a.OptionROMVersion, "3.28") == 0 &&
              strcmp(a.FirmwareVersion, "8.07") == 0 && a.SerialNumber[0] == '\0',
          "the adapter's texts, the rest zeroed");
    check(a.NumberOfPorts == 2, "NumberOfPorts counts the port lines", a.NumberOfPorts, 2);
    check(a.NodeWWN.wwn[0] == 0x20 && a.NodeWWN.wwn[7] == 0x01, "the node WWN");

    HBA_PORTATTRIBUTES p;
    check(api.port_attributes(handle, 0, &p) == HBA_STATUS_OK, "port 0 attributes");
    const uint8_t wwn[8] = {0x21, 0x00, 0x00, 0x24, 0xFF, 0x3A, 0x5B, 0x6C};
    check(memcmp(p.PortWWN.wwn, wwn, 8) == 0, "the port WWN in byte order");
    check(p.PortFcId == 0x010400 && p.PortType == 5 && p.PortState == 2 && p.PortSpeed == 4, "the port's codes");
    check(strcmp(p.OSDeviceName, "\\\\.\\Scsi4:") == 0 && p.OSDeviceName[8] == '4' && p.OSDeviceName[10] == '\0',
          "the OS device name, port number at position 8");
    check(p.NumberofDiscoveredPorts == 2, "discovered ports counted", p.NumberofDiscoveredPorts, 2);
    check(api.port_attributes(handle, 1, &p) == HBA_STATUS_OK && p.NumberofDiscoveredPorts == 3,
          "a reported count overrides the lines", p.NumberofDiscoveredPorts, 3);
    check(api.port_attributes(handle, 2, &p) == HBA_STATUS_ERROR_ILLEGAL_INDEX, "no port 2");

    check(api.discovered_attributes(handle, 0, 1, &p) == HBA_STATUS_OK && p.PortType == 7 && p.PortFcId == 0x010600,
          "the second discovered port of port 0");
    check(api.discovered_attributes(handle, 0, 0, &p) == HBA_STATUS_OK && p.PortFcId == 0x000500 && p.PortSpeed == 8,
          "a discovered port with a zero top address byte");
    check(api.discovered_attributes(handle, 1, 0, &p) != HBA_STATUS_OK, "port 1 has no discovered lines");
    api.close_adapter(handle);
    check(api.port_attributes(handle, 0, &p) == HBA_STATUS_ERROR_INVALID_HANDLE, "a closed handle is refused");

    check(api.adapter_name(1, name) == HBA_STATUS_OK && api.open_adapter(name) == 0, "an adapter that fails to open");
    check(api.adapter_attributes(2, &a) == HBA_STATUS_ERROR_INVALID_HANDLE, "a handle never given out");
    check(api.free_library() == HBA_STATUS_OK && api.number_of_adapters() == 0, "nothing after HBA_FreeLibrary");
}

void check_failures(const Api& api) {
    use_data(nullptr);
    check(api.load_library() == HBA_STATUS_OK && api.number_of_adapters() == 0, "no data file: no adapters");
    api.free_library();
    use_data("adapter name=X\nfail load_library\n");
    check(api.load_library() != HBA_STATUS_OK, "a failing HBA_LoadLibrary");
    use_data("adapter name=X\nport wwn=12\n");
    check(api.load_library() != HBA_STATUS_OK, "a bad data file fails HBA_LoadLibrary");
    use_data("port wwn=2100000000000000\n");
    check(api.load_library() != HBA_STATUS_OK, "a port before any adapter");
    DeleteFileA(g_path);
}

}  // namespace

int main() {
    HMODULE library = LoadLibraryA("hbaapi.dll");
    check(library != nullptr, "LoadLibraryA(\"hbaapi.dll\")", library != nullptr ? 0 : GetLastError(), 0);
    Api api = {};
    if (library != nullptr && bind_all(library, &api)) {
        check_data(api);
        check_failures(api);
    }
    if (library != nullptr) FreeLibrary(library);
    printf("hba_check: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
