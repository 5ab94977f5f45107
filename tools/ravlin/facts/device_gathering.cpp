// The one engine that gathers a device's facts beyond its record.
#include "device_facts.h"

#include "invocation_settings.h"

void gather_device_facts(const DSM_DEVICE_RECORD* record, const DSM_PREFERRED_PATH* preferred, uint32_t query_flags,
                         DeviceFacts* facts, void (*after_step)(FactsStep step, const DeviceFacts* facts)) {
    static const HostPortTable kNoPorts = {};
    facts->record = record;
    facts->preferred = preferred;
    facts->query_flags = query_flags;
    facts->ports = &kNoPorts;
    read_lun_capacity(record, &facts->capacity);
    if (after_step != nullptr) after_step(FactsStep::Capacity, facts);
    facts->volume_source = find_vdisk_name(record, facts->volume);
    if (after_step != nullptr) after_step(FactsStep::Volume, facts);
    if ((query_flags & QF_SCSI_ADDR) != 0) facts->ports = host_ports_for_display();
    if (after_step != nullptr) after_step(FactsStep::Ports, facts);
}

const char* capacity_failure_reason(const LunCapacity* c) {
    if (c->no_paths) return "no-path";
    if (capacity_found(c)) return nullptr;
    if (c->failure == 0) return "no-open-path";
    return c->refused ? "scsi-status" : "request-failed";
}
