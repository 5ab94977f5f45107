#include "device_json.h"

#include <stdio.h>
#include <string.h>

#include "dsm_texts.h"
#include "invocation_settings.h"

namespace {

// A display text without the blanks it is padded with, as a member.
void trimmed_text(JsonWriter* w, const char* key, const char* text) {
    while (*text == ' ') text++;
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ') n--;
    json_field(w, key, text, n);
}

void write_capacity(JsonWriter* w, const LunCapacity* c) {
    json_begin_object(w, "capacity");
    const char* failure = capacity_failure_reason(c);
    if (failure == nullptr) {
        json_uint(w, "bytes", (c->last_lba + 1) * uint64_t(c->block_length));
        json_uint(w, "last_block", c->last_lba);
        json_uint(w, "block_length", c->block_length);
        char text[32];
        format_lun_size(c->last_lba, c->block_length, text, sizeof text);
        trimmed_text(w, "text", text);
        json_null(w, "failure");
    } else {
        json_null(w, "bytes");
        json_null(w, "last_block");
        json_null(w, "block_length");
        json_null(w, "text");
        json_text(w, "failure", failure);
    }
    json_begin_array(w, "scsi_status");
    for (uint32_t i = 0; i < c->status_count && i < DSM_MAX_PATHS; i++) json_uint(w, nullptr, c->statuses[i]);
    json_end_array(w);
    json_end_object(w);
}

void write_path(JsonWriter* w, const DSM_PATH_ENTRY* p, uint32_t i, uint32_t flags, const HostPortTable* ports) {
    json_begin_object(w, nullptr);
    json_uint(w, "number", i);
    json_field(w, "adapter", p->AdapterName, sizeof p->AdapterName);
    json_field(w, "disk", p->DiskName, sizeof p->DiskName);
    json_begin_object(w, "scsi_address");
    json_uint(w, "port", p->ScsiAddress[0]);
    json_uint(w, "bus", p->ScsiAddress[1]);
    json_uint(w, "target", p->ScsiAddress[2]);
    json_uint(w, "lun", p->ScsiAddress[3]);
    json_end_object(w);
    if ((flags & QF_SCSI_ADDR) != 0) {
        const char* wwpn = host_port_find(ports, p->ScsiAddress[2]);
        if (wwpn != nullptr) json_field(w, "target_port_wwpn", wwpn, kHostPortTextSize);
        else json_null(w, "target_port_wwpn");
    }
    json_begin_object(w, "state");
    json_uint(w, "number", p->State);
    trimmed_text(w, "name", path_state_text(p->State, p->NonOptimized, false).text);
    trimmed_text(w, "tpgs", path_state_text(p->State, p->NonOptimized, true).text);
    json_end_object(w);
    json_begin_object(w, "mode");
    json_uint(w, "number", p->Mode);
    json_text(w, "name", path_mode_text(p->Mode).text);
    json_end_object(w);
    json_bool(w, "non_optimized", p->NonOptimized != 0);
    json_int(w, "select_count", p->SelectCount);
    json_int(w, "error_count", p->ErrorCount);
    json_end_object(w);
}

}  // namespace

void write_device_members(JsonWriter* w, const DeviceFacts* found) {
    const DSM_DEVICE_RECORD* r = found->record;
    const DSM_PREFERRED_PATH* preferred = found->preferred;
    uint32_t flags = found->query_flags;
    const HostPortTable* ports = found->ports;
    VdiskSource source = found->volume_source;

    json_field(w, "nt_name", r->DeviceName, sizeof r->DeviceName);
    json_text(w, "display_name", device_display_name(r->DeviceName, sizeof r->DeviceName));
    json_field(w, "product_id", r->ProductId, sizeof r->ProductId);
    json_field(w, "serial", r->SerialNumber, sizeof r->SerialNumber);
    json_field(w, "lun_identifier", r->LunIdentifier, sizeof r->LunIdentifier);
    json_uint(w, "scsi_level", r->ScsiLevel);
    json_begin_object(w, "policy");
    json_uint(w, "number", r->Policy);
    json_text(w, "name", policy_text(r->Policy) + strlen("  POLICY: "));
    json_end_object(w);
    json_bool(w, "reserved", r->IsReserved != 0);
    write_capacity(w, &found->capacity);

    json_begin_object(w, "volume");
    if (source == VdiskSource::None) json_null(w, "name");
    else json_field(w, "name", found->volume, sizeof found->volume);
    if (source == VdiskSource::Disk) json_text(w, "source", "disk");
    else if (source == VdiskSource::Cache) json_text(w, "source", "cache");
    else json_null(w, "source");
    json_end_object(w);

    json_begin_object(w, "interface");
    json_uint(w, "number", r->InterfaceType);
    const char* interface = interface_type_text(r->InterfaceType);
    if (interface != nullptr) json_text(w, "name", interface);
    else json_null(w, "name");
    json_end_object(w);

    json_begin_object(w, "csv");
    json_bool(w, "is_csv", r->IsCsv != 0);
    json_uint(w, "key_count", r->KeyCount);
    json_uint(w, "key", r->Key);
    char key[20];
    snprintf(key, sizeof key, "%08x-%08x", unsigned(r->Key >> 32), unsigned(r->Key & 0xFFFFFFFFu));
    json_text(w, "key_text", key);
    json_end_object(w);

    if (preferred->IsSet != 0) json_uint(w, "preferred_path", preferred->PathNumber);
    else json_null(w, "preferred_path");

    json_uint(w, "path_count", r->PathCount);
    json_begin_array(w, "paths");
    uint32_t paths = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    for (uint32_t i = 0; i < paths; i++) {
        const DSM_PATH_ENTRY* p = &r->Paths[i];
        if (p->State == DSM_PATH_CLOSE && (flags & QF_ALL_PATHS) == 0) continue;
        write_path(w, p, i, flags, ports);
    }
    json_end_array(w);
}

void write_counter_row(JsonWriter* w, const char* key, const uint32_t (&row)[5], bool histogram) {
    static const char* const kCounters[5] = {"total_read", "total_write", "active_read", "active_write", "maximum"};
    static const char* const kBuckets[5] = {"up_to_512", "up_to_4k", "up_to_16k", "up_to_64k", "over_64k"};
    json_begin_object(w, key);
    for (int i = 0; i < 5; i++) json_uint(w, histogram ? kBuckets[i] : kCounters[i], row[i]);
    json_end_object(w);
}

void write_device_stats_members(JsonWriter* w, const DSM_DEVICE_STATS* s) {
    json_field(w, "product_id", s->ProductId, sizeof s->ProductId);
    write_counter_row(w, "io", s->IoCounters, false);
    write_counter_row(w, "sectors", s->SectorCounters, false);
    write_counter_row(w, "transfer_sizes", s->SizeHistogram, true);
}
