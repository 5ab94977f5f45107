#include "topology.h"

#include <string.h>

#include "device_facts.h"

void topology_add_record(Topology* t, const DSM_DEVICE_RECORD* r, const DSM_PREFERRED_PATH* preferred,
                         const HostPortTable* ports) {
    TopoDevice d;
    memset(&d, 0, sizeof d);
    d.number = int32_t(r->DeviceNumber);
    memcpy(d.serial, r->SerialNumber, sizeof r->SerialNumber);
    d.serial[sizeof r->SerialNumber] = '\0';
    d.policy = r->Policy;
    d.has_preferred = preferred->IsSet != 0;
    d.preferred = preferred->PathNumber;
    d.reserved = r->IsReserved != 0;
    d.all_paths = true;
    d.first_path = int32_t(t->paths.size());
    uint32_t count = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    d.path_count = int32_t(count);
    int32_t port_count = ports == nullptr ? 0 : ports->count < 0 ? 0 : ports->count > kHostPortMax ? kHostPortMax : ports->count;
    for (uint32_t i = 0; i < count; i++) {
        const DSM_PATH_ENTRY* e = &r->Paths[i];
        TopoPath p;
        memset(&p, 0, sizeof p);
        memcpy(p.adapter, e->AdapterName, sizeof e->AdapterName);
        memcpy(p.address, e->ScsiAddress, sizeof p.address);
        p.state = e->State;
        p.mode = e->Mode;
        p.non_optimized = e->NonOptimized != 0;
        if (ports != nullptr) {
            p.has_wwpn = true;
            for (int32_t k = 0; k < port_count; k++)
                if (ports->port_ids[k] == e->ScsiAddress[2]) {
                    p.wwpn_known = true;
                    strncpy(p.wwpn, ports->wwpns[k], sizeof p.wwpn - 1);
                    break;
                }
        }
        t->paths.push_back(p);
    }
    t->devices.push_back(d);
}

bool topology_scope_takes(TopoScope scope, const DSM_DEVICE_RECORD* r) {
    switch (scope) {
    case TopoScope::Fc: return r->InterfaceType == DSM_IF_FC;
    case TopoScope::Iscsi: return r->InterfaceType == DSM_IF_ISCSI;
    case TopoScope::Sas: return r->InterfaceType == DSM_IF_SAS;
    case TopoScope::Csv: return is_csv_device(r);
    case TopoScope::All: break;
    }
    return true;
}

void topology_add_adapters(Topology* t, const DSM_ADAPTER_TABLE* table) {
    t->has_adapters = true;
    int32_t count = table->AdapterCount < 0 ? 0 : table->AdapterCount > DSM_MAX_ADAPTERS ? DSM_MAX_ADAPTERS : table->AdapterCount;
    for (int32_t i = 0; i < count; i++) {
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[i];
        TopoAdapter a;
        memset(&a, 0, sizeof a);
        a.number = i;
        memcpy(a.name, e->AdapterName, sizeof e->AdapterName);  // a.name keeps its NUL
        a.bus_type = e->BusType;
        a.state = e->State;
        a.mode = e->Mode;
        a.active = e->PathCount != 0;
        t->adapters.push_back(a);
    }
}
