// Builds the HBA snapshot from the world's HBA section.
#include "sim_hba.h"

#include <string.h>

#include "sim_world.h"

namespace {

// A world may come from a program (the test driver takes whole worlds), so its
// counts and texts are not trusted to fit.
uint32_t clamp(int32_t n, int limit) { return n < 0 ? 0 : n > limit ? uint32_t(limit) : uint32_t(n); }

template <size_t N>
void copy_text(char (&dst)[N], const char (&src)[N]) {
    size_t n = 0;
    while (n + 1 < N && src[n] != '\0') n++;
    memcpy(dst, src, n);
    dst[n] = '\0';
}

// A count the library reports: the one the world gives, else the entries listed.
uint32_t reported(int32_t given, uint32_t listed) { return given >= 0 ? uint32_t(given) : listed; }

// The attributes a host port and a discovered port share (the two world
// structs name them alike).
template <typename Port>
void copy_port_attributes(const Port* p, SimHbaPortRecord* out) {
    memcpy(out->port_wwn, p->port_wwn, sizeof out->port_wwn);
    memcpy(out->node_wwn, p->node_wwn, sizeof out->node_wwn);
    out->fc_id = p->fc_id;
    out->type = p->type;
    out->state = p->state;
    out->speed = p->speed;
    out->fail = p->fail;
}

void copy_port(const SimHbaPort* p, SimHbaHostPortRecord* out) {
    SimHbaPortRecord* a = &out->attributes;
    copy_port_attributes(p, a);
    copy_text(a->os_device_name, p->os_device_name);
    a->discovered_count = clamp(p->discovered_count, SIM_HBA_MAX_DISCOVERED);
    a->reported_discovered = reported(p->reported_discovered, a->discovered_count);
    for (uint32_t i = 0; i < a->discovered_count; i++) copy_port_attributes(&p->discovered[i], &out->discovered[i]);
}

void copy_adapter(const SimHbaAdapter* a, SimHbaAdapterRecord* out) {
    copy_text(out->name, a->name);
    copy_text(out->manufacturer, a->manufacturer);
    copy_text(out->serial_number, a->serial_number);
    copy_text(out->model, a->model);
    copy_text(out->driver_version, a->driver_version);
    copy_text(out->option_rom_version, a->option_rom_version);
    copy_text(out->firmware_version, a->firmware_version);
    memcpy(out->node_wwn, a->node_wwn, sizeof out->node_wwn);
    out->fail = a->fail;
    out->port_count = clamp(a->port_count, SIM_HBA_MAX_PORTS);
    out->reported_ports = reported(a->reported_ports, out->port_count);
    for (uint32_t i = 0; i < out->port_count; i++) copy_port(&a->ports[i], &out->ports[i]);
}

}  // namespace

void sim_hba_snapshot(const SimWorld* world, SimHbaSnapshot* out) {
    memset(out, 0, sizeof *out);
    const SimHba* hba = &world->hba;
    out->version = hba->version;
    out->fail = hba->fail;
    out->adapter_count = clamp(hba->adapter_count, SIM_HBA_MAX_ADAPTERS);
    for (uint32_t i = 0; i < out->adapter_count; i++) copy_adapter(&hba->adapters[i], &out->adapters[i]);
}
