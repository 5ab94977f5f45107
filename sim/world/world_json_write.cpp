// Writes the simulator world as JSON in the format world_from_json reads. Every
// key is written, in a fixed order, so scripts can rely on them; enumerations as
// words where the value has one, as numbers where it has not.
#include <stdio.h>
#include <string.h>

#include "json_put.h"
#include "text_out.h"
#include "sim_model.h"
#include "world_device_tree_json.h"
#include "world_disk_json.h"
#include "world_hba_json.h"
#include "world_state_json.h"
#include "world_settings_json.h"
#include "world_query_json.h"
#include "world_json.h"
#include "world_words.h"

namespace {

using namespace json_put;

void put_counters(TextOut* out, const char* key, const uint32_t (&counters)[5]) {
    json_key(out, key);
    json_begin(out, '[', false);
    for (uint32_t c : counters) {
        json_next(out);
        json_uint(out, c);
    }
    json_end(out);
}

void put_request(TextOut* out, const char* key, uint32_t code) {
    const char* name = sim_request_name(code);
    char hex[16];
    if (name == nullptr) {
        snprintf(hex, sizeof hex, "0x%08X", unsigned(code));
        name = hex;
    }
    put_text(out, key, name);
}

void put_file_version(TextOut* out, const char* key, bool present, const uint16_t (&v)[4]) {
    if (!present) {
        json_key(out, key);
        json_null(out);
        return;
    }
    char text[32];
    snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(v[0]), unsigned(v[1]), unsigned(v[2]), unsigned(v[3]));
    put_text(out, key, text);
}

void put_driver(TextOut* out, const SimWorld* world) {
    json_key(out, "driver");
    json_begin(out, '{', false);
    put_flag(out, "loaded", world->driver_loaded);
    put_int(out, "device_slots", world->device_slot_count);
    json_end(out);
}

void put_versions(TextOut* out, const SimVersions* v) {
    json_key(out, "versions");
    json_begin(out, '{', true);
    if (v->dsm_present && (v->dsm_build_number[0] != '\0' || v->dsm_build_number_empty)) {
        put_field(out, "dsm_build_number", v->dsm_build_number);
    } else {
        json_key(out, "dsm_build_number");
        json_null(out);
    }
    put_file_version(out, "dsm_file_version", v->dsm_present, v->dsm_file_version);
    put_file_version(out, "mpio_file_version", v->mpio_present, v->mpio_file_version);
    json_end(out);
}

void put_model(TextOut* out, const SimModel* m) {
    json_begin(out, '{', false);
    put_field(out, "name", m->name);
    put_uint(out, "retry_delay", m->retry_delay);
    put_uint(out, "repeat_error", m->repeat_error);
    put_uint(out, "repeat_interval", m->repeat_interval);
    json_end(out);
}

void put_adapter(TextOut* out, const SimAdapter* a) {
    json_begin(out, '{', true);
    put_field(out, "name", a->name);
    put_flag(out, "active", a->active);
    put_enum(out, "bus_type", &kBusTypeWords, a->bus_type);
    put_enum(out, "state", &kAdapterStateWords, a->state);
    put_enum(out, "mode", &kModeWords, a->mode);
    put_uint(out, "select_count", a->select_count);
    put_int(out, "error_count", a->error_count);
    put_int(out, "path_count", a->path_count);
    put_int(out, "active_path_count", a->active_path_count);
    put_counters(out, "io_counters", a->io_counters);
    put_counters(out, "sector_counters", a->sector_counters);
    json_end(out);
}

void put_path(TextOut* out, const SimPath* p) {
    json_begin(out, '{', false);
    put_field(out, "disk_name", p->disk_name);
    put_field(out, "adapter", p->adapter_name);
    put_enum(out, "state", &kPathStateWords, p->state);
    put_enum(out, "mode", &kModeWords, p->mode);
    put_int(out, "select_count", p->select_count);
    put_int(out, "error_count", p->error_count);
    char address[16];
    snprintf(address, sizeof address, "%02X-%02X-%02X-%02X", unsigned(p->scsi_address[0]),
             unsigned(p->scsi_address[1]), unsigned(p->scsi_address[2]), unsigned(p->scsi_address[3]));
    put_text(out, "scsi_address", address);
    put_flag(out, "non_optimized", p->non_optimized);
    json_end(out);
}

void put_device(TextOut* out, const SimDevice* d, int slot) {
    static const SimDevice kEmpty = {};
    // An empty slot that holds nothing says only that, on one line.
    bool empty = memcmp(d, &kEmpty, sizeof kEmpty) == 0;
    json_begin(out, '{', !empty);
    put_int(out, "slot", slot);
    put_enum(out, "state", &kSlotStateWords, d->slot_state);
    if (empty) {
        json_end(out);
        return;
    }
    put_field(out, "device_name", d->device_name);
    put_field(out, "serial", d->serial_number);
    put_field(out, "product_id", d->product_id);
    put_uint(out, "scsi_level", d->scsi_level);
    put_enum(out, "policy", &kPolicyWords, d->policy);
    put_enum(out, "scope", &kScopeWords, d->scope);
    put_enum(out, "interface", &kInterfaceWords, d->interface_type);
    put_field(out, "lun_identifier", d->lun_identifier);
    put_flag(out, "reserved", d->is_reserved);
    put_flag(out, "csv", d->is_csv);
    put_uint(out, "key_count", d->key_count);
    char key[24];
    snprintf(key, sizeof key, "0x%08X%08X", unsigned(d->key >> 32), unsigned(d->key & 0xFFFFFFFFu));
    put_text(out, "key", key);
    json_key(out, "preferred_path");
    if (d->has_preferred_path) json_uint(out, d->preferred_path);
    else json_null(out);
    json_key(out, "paths");
    json_begin(out, '[', true);
    uint32_t n = d->path_count < uint32_t(SIM_MAX_PATHS) ? d->path_count : uint32_t(SIM_MAX_PATHS);
    for (uint32_t i = 0; i < n; i++) {
        json_next(out);
        put_path(out, &d->paths[i]);
    }
    json_end(out);
    put_counters(out, "io_counters", d->io_counters);
    put_counters(out, "sector_counters", d->sector_counters);
    put_counters(out, "size_histogram", d->size_histogram);
    json_end(out);
}

void put_fault(TextOut* out, const SimFault* f) {
    json_begin(out, '{', false);
    put_request(out, "request", f->code);
    put_optional(out, "slot", f->slot);
    put_uint(out, "error", f->error);
    put_optional(out, "reply_bytes", f->reply_bytes);
    put_optional(out, "status", f->status);
    if (f->count_given != 0) put_int(out, "count", f->count);
    else put_optional(out, "count", -1);
    put_int(out, "times", f->remaining);
    put_int(out, "after", f->after);
    if (f->page_given != 0) put_uint(out, "page", f->page);  // written only when given
    json_end(out);
}

void put_journal_entry(TextOut* out, const SimJournalEntry* e) {
    json_begin(out, '{', false);
    put_uint(out, "sequence", e->sequence);
    put_request(out, "request", e->code);
    put_uint(out, "in_len", e->in_len);
    put_uint(out, "out_len", e->out_len);
    put_uint(out, "error", e->error);
    put_uint(out, "returned", e->returned);
    uint32_t n = e->head_len < uint32_t(SIM_JOURNAL_HEAD) ? e->head_len : uint32_t(SIM_JOURNAL_HEAD);
    static const char kHex[] = "0123456789abcdef";
    char head[2 * SIM_JOURNAL_HEAD + 1];
    for (uint32_t i = 0; i < n; i++) {
        head[2 * i] = kHex[e->head[i] >> 4];
        head[2 * i + 1] = kHex[e->head[i] & 15];
    }
    head[2 * n] = '\0';
    put_text(out, "head", head);
    put_flag(out, "tail_nonzero", e->tail_nonzero);
    json_end(out);
}

void put_journal(TextOut* out, const SimWorld* world) {
    json_begin(out, '{', true);
    put_uint(out, "count", world->journal.count);
    json_key(out, "entries");
    json_begin(out, '[', true);
    uint32_t kept = sim_journal_kept(world);
    for (uint32_t i = 0; i < kept; i++) {
        json_next(out);
        put_journal_entry(out, sim_journal_entry(world, i));
    }
    json_end(out);
    json_end(out);
}

// A count from the world, clamped to its table.
int clamp(int32_t n, int limit) { return n < 0 ? 0 : n > limit ? limit : int(n); }

// Writes a list member `key` of `count` entries, each by put(out, &table[i]).
template <typename Entry>
void put_list(TextOut* out, const char* key, const Entry* table, int count, void (*put)(TextOut*, const Entry*)) {
    json_key(out, key);
    json_begin(out, '[', true);
    for (int i = 0; i < count; i++) {
        json_next(out);
        put(out, &table[i]);
    }
    json_end(out);
}

}  // namespace

char* world_to_json(const SimWorld* world) {
    TextOut out = {};
    json_begin(&out, '{', true);
    put_driver(&out, world);
    char mask[16];
    snprintf(mask, sizeof mask, "0x%08X", unsigned(world->trace_mask));
    put_text(&out, "trace_mask", mask);
    put_uint(&out, "perf_collection", world->perf_collection);
    put_uint(&out, "rtpg_count", world->rtpg_count);
    put_versions(&out, &world->versions);
    put_list(&out, "models", world->models, clamp(world->model_count, SIM_MAX_MODELS), put_model);
    put_list(&out, "adapters", world->adapters, clamp(world->adapter_count, SIM_MAX_ADAPTERS), put_adapter);
    json_key(&out, "devices");
    json_begin(&out, '[', true);
    for (int i = 0; i < clamp(world->device_count, SIM_MAX_DEVICES); i++) {
        json_next(&out);
        put_device(&out, &world->devices[i], i);
    }
    json_end(&out);
    put_device_perf(&out, &world->settings);
    put_hba(&out, &world->hba);
    put_preserve_access(&out, &world->preserve_access);
    put_device_tree(&out, &world->device_tree);
    put_disks(&out, &world->disks);
    put_capacity(&out, world);
    put_list(&out, "faults", world->faults, clamp(world->fault_count, SIM_MAX_FAULTS), put_fault);
    json_key(&out, "journal");
    put_journal(&out, world);
    json_end(&out);
    out_text(&out, "\n");
    return out_finish(&out);
}

char* journal_to_json(const SimWorld* world) {
    TextOut out = {};
    put_journal(&out, world);
    out_text(&out, "\n");
    return out_finish(&out);
}
