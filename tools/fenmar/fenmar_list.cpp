// The walk over adapters, ports and discovered ports.
#include <stdio.h>
#include <string.h>

#include "fenmar.h"
#include "output_policy.h"

namespace {

// The version and adapter-count lines.
void print_counts(const HbaFunctions* hba, HBA_UINT32 adapters) {
    print_out("Fenmar: HBAAPI.DLL version is %d \n", int(hba->get_version()));
    print_out("Fenmar: Number of HBAs found %d\n", int(adapters));
}

// Prints the discovered ports of adapter port `p`; false (after its message)
// when one cannot be read.
bool list_discovered(const HbaFunctions* hba, HBA_HANDLE handle, HBA_UINT32 p, HBA_UINT32 count) {
    for (HBA_UINT32 d = 0; d < count; d++) {
        HBA_PORTATTRIBUTES remote;
        memset(&remote, 0, sizeof remote);
        if (hba->discovered_attributes(handle, p, d, &remote) != HBA_STATUS_OK) {
            put_out("Fenmar: lpHBAGetDiscoveredPortAttributesProc failed.\n");
            return false;
        }
        print_host_port(d, &remote);
    }
    return true;
}

// Prints the ports of one open adapter; false (after its message) when the
// listing has to stop.
bool list_ports(const HbaFunctions* hba, HBA_HANDLE handle, HBA_UINT32 port_count, FenmarMode mode, int* printed) {
    for (HBA_UINT32 p = 0; p < port_count; p++) {
        HBA_PORTATTRIBUTES port;
        memset(&port, 0, sizeof port);
        if (hba->port_attributes(handle, p, &port) != HBA_STATUS_OK) {
            put_out("Fenmar: HBAGetPortAttributes failed.\n");
            return false;
        }
        if (mode != FENMAR_WWPNHP) {
            print_port_line(&port, mode, printed);
            continue;
        }
        print_port_header(&port, printed);
        if (!list_discovered(hba, handle, p, port.NumberofDiscoveredPorts)) return false;
    }
    return true;
}

}  // namespace

void fenmar_list_adapters(const HbaFunctions* hba, FenmarMode mode) {
    HBA_UINT32 n = hba->number_of_adapters();
    if (n == 0 || mode == FENMAR_DEBUG) print_counts(hba, n);
    int printed = 0;  // adapter ports printed so far: the list header goes before the first
    for (HBA_UINT32 a = 0; a < n; a++) {
        // One byte more than the API's 256, so the name stays terminated
        // whatever the library wrote.
        char name[257];
        memset(name, 0, sizeof name);
        if (hba->adapter_name(a, name) != HBA_STATUS_OK) {
            put_out("Fenmar: HBAGetAdapterName failed.\n");
            return;
        }
        HBA_HANDLE handle = hba->open_adapter(name);
        if (handle == 0) {
            put_out("Fenmar: HBAOpenAdapter failed.\n");
            return;
        }
        HBA_ADAPTERATTRIBUTES attributes;
        memset(&attributes, 0, sizeof attributes);
        if (hba->adapter_attributes(handle, &attributes) != HBA_STATUS_OK) {
            hba->close_adapter(handle);
            if (a + 1 < n) continue;  // only the last adapter's failure is reported
            put_out("Fenmar: HBAGetAdapterAttributes failed.\n");
            return;
        }
        if (mode == FENMAR_DETAIL) print_adapter_block(int(a) + 1, &attributes);
        bool whole = list_ports(hba, handle, attributes.NumberOfPorts, mode, &printed);
        hba->close_adapter(handle);
        if (!whole) return;
    }
}
