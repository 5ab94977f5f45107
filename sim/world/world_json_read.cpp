// Reads a scenario (or a saved world) into the simulator world. Every value is
// checked against its field before it is stored: texts against the field's
// room, numbers against the field's range, lists against their tables.
#include <cJSON.h>
#include <stdio.h>
#include <string.h>

#include "json_values.h"
#include "path_disk_name.h"
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

using namespace json_values;


struct Defaults {
    bool driver_loaded_given;
    bool device_slots_given;
    bool adapter_path_count_given[SIM_MAX_ADAPTERS];
    bool adapter_active_path_count_given[SIM_MAX_ADAPTERS];
};

bool read_driver(Reader* r, const cJSON* object, SimWorld* world, Defaults* defaults) {
    Where w{"driver"};
    if (!expect_object(r, Where{}, "driver", object)) return false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (is(key, "loaded")) {
            if (!read_flag(r, w, key, item, UINT32_MAX, &world->driver_loaded)) return false;
            defaults->driver_loaded_given = true;
        } else if (is(key, "device_slots")) {
            if (!read_i32(r, w, key, item, &world->device_slot_count)) return false;
            defaults->device_slots_given = true;
        } else {
            return unknown_key(r, w, key);
        }
    }
    return true;
}

bool read_adapter(Reader* r, const Where& w, const cJSON* object, SimAdapter* a, Defaults* defaults, int index) {
    a->active = 1;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "name")) ok = read_field(r, w, key, item, a->name);
        else if (is(key, "active")) ok = read_flag8(r, w, key, item, &a->active);
        else if (is(key, "bus_type")) ok = read_enum8(r, w, key, item, &kBusTypeWords, &a->bus_type);
        else if (is(key, "state")) ok = read_enum(r, w, key, item, &kAdapterStateWords, UINT32_MAX, &a->state);
        else if (is(key, "mode")) ok = read_enum(r, w, key, item, &kModeWords, UINT32_MAX, &a->mode);
        else if (is(key, "select_count")) ok = read_u32(r, w, key, item, &a->select_count);
        else if (is(key, "error_count")) ok = read_i32(r, w, key, item, &a->error_count);
        else if (is(key, "path_count")) {
            ok = read_i32(r, w, key, item, &a->path_count);
            defaults->adapter_path_count_given[index] = true;
        } else if (is(key, "active_path_count")) {
            ok = read_i32(r, w, key, item, &a->active_path_count);
            defaults->adapter_active_path_count_given[index] = true;
        } else if (is(key, "io_counters")) ok = read_counters(r, w, key, item, a->io_counters);
        else if (is(key, "sector_counters")) ok = read_counters(r, w, key, item, a->sector_counters);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_adapters(Reader* r, const cJSON* list, SimWorld* world, Defaults* defaults) {
    if (!expect_list(r, Where{}, "adapters", list, SIM_MAX_ADAPTERS, "adapters")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where w = where_item("adapters", i);
        if (!expect_object(r, w, nullptr, object)) return false;
        if (!read_adapter(r, w, object, &world->adapters[i], defaults, i)) return false;
        i++;
    }
    world->adapter_count = i;
    return true;
}

// Reads one path; *disk_named tells whether the scenario gave its disk name.
bool read_path(Reader* r, const Where& w, const cJSON* object, SimPath* p, bool* disk_named) {
    p->state = DSM_PATH_OPEN;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "disk_name")) {
            ok = read_field(r, w, key, item, p->disk_name);
            *disk_named = true;
        } else if (is(key, "adapter")) ok = read_field(r, w, key, item, p->adapter_name);
        else if (is(key, "state")) ok = read_enum(r, w, key, item, &kPathStateWords, UINT32_MAX, &p->state);
        else if (is(key, "mode")) ok = read_enum(r, w, key, item, &kModeWords, UINT32_MAX, &p->mode);
        else if (is(key, "select_count")) ok = read_i32(r, w, key, item, &p->select_count);
        else if (is(key, "error_count")) ok = read_i32(r, w, key, item, &p->error_count);
        else if (is(key, "scsi_address")) ok = read_scsi_address(r, w, key, item, p->scsi_address);
        else if (is(key, "non_optimized")) ok = read_flag(r, w, key, item, UINT32_MAX, &p->non_optimized);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_paths(Reader* r, const Where& w, const cJSON* list, SimDevice* d) {
    if (!expect_list(r, w, "paths", list, SIM_MAX_PATHS, "paths")) return false;
    bool disk_named[SIM_MAX_PATHS] = {};
    uint32_t i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where pw = where_nested(w, "paths", int(i));
        if (!expect_object(r, pw, nullptr, object)) return false;
        if (!read_path(r, pw, object, &d->paths[i], &disk_named[i])) return false;
        i++;
    }
    d->path_count = i;
    // A path that names no disk sees the device's own disk, as most paths do, and
    // the driver names that disk in its short form.
    for (uint32_t k = 0; k < i; k++)
        if (!disk_named[k])
            own_disk_name(d->device_name, sizeof d->device_name, d->paths[k].disk_name, sizeof d->paths[k].disk_name);
    return true;
}

bool read_device(Reader* r, const Where& w, const cJSON* object, SimDevice* d) {
    d->slot_state = SIM_SLOT_PRESENT;
    const cJSON* paths = nullptr;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok = true;
        if (is(key, "slot")) ok = true;  // placed by the caller
        else if (is(key, "state")) ok = read_enum8(r, w, key, item, &kSlotStateWords, &d->slot_state);
        else if (is(key, "device_name")) ok = read_field(r, w, key, item, d->device_name);
        // The record's serial field is 63 bytes and terminated: 62 characters fit.
        else if (is(key, "serial")) ok = read_text(r, w, key, item, d->serial_number, 63);
        else if (is(key, "product_id")) ok = read_field(r, w, key, item, d->product_id);
        else if (is(key, "scsi_level")) ok = read_u32(r, w, key, item, &d->scsi_level);
        else if (is(key, "policy")) ok = read_enum(r, w, key, item, &kPolicyWords, UINT32_MAX, &d->policy);
        else if (is(key, "scope")) ok = read_enum(r, w, key, item, &kScopeWords, UINT32_MAX, &d->scope);
        else if (is(key, "interface")) ok = read_enum8(r, w, key, item, &kInterfaceWords, &d->interface_type);
        else if (is(key, "lun_identifier")) ok = read_field(r, w, key, item, d->lun_identifier);
        else if (is(key, "reserved")) ok = read_flag(r, w, key, item, UINT32_MAX, &d->is_reserved);
        else if (is(key, "csv")) ok = read_flag8(r, w, key, item, &d->is_csv);
        else if (is(key, "key_count")) ok = read_u32(r, w, key, item, &d->key_count);
        else if (is(key, "key")) ok = read_u64(r, w, key, item, &d->key);
        else if (is(key, "preferred_path")) {
            d->has_preferred_path = !cJSON_IsNull(item);
            if (d->has_preferred_path) ok = read_u32(r, w, key, item, &d->preferred_path);
        } else if (is(key, "paths")) paths = item;
        else if (is(key, "io_counters")) ok = read_counters(r, w, key, item, d->io_counters);
        else if (is(key, "sector_counters")) ok = read_counters(r, w, key, item, d->sector_counters);
        else if (is(key, "size_histogram")) ok = read_counters(r, w, key, item, d->size_histogram);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    // Paths last: a path without a disk name takes the device's.
    return paths == nullptr || read_paths(r, w, paths, d);
}

bool read_devices(Reader* r, const cJSON* list, SimWorld* world) {
    if (!expect_list(r, Where{}, "devices", list, SIM_MAX_DEVICES, "devices")) return false;
    bool listed[SIM_MAX_DEVICES] = {};
    int next_slot = 0;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where w = where_item("devices", i);
        if (!expect_object(r, w, nullptr, object)) return false;
        int32_t slot = next_slot;
        const cJSON* slot_item = cJSON_GetObjectItemCaseSensitive(object, "slot");
        if (slot_item != nullptr && !read_i32(r, w, "slot", slot_item, &slot)) return false;
        if (slot < 0 || slot >= SIM_MAX_DEVICES)
            return fail(r, w, "slot", "slot %d is outside 0 to %d", int(slot), SIM_MAX_DEVICES - 1);
        if (listed[slot]) return fail(r, w, "slot", "slot %d is listed twice", int(slot));
        listed[slot] = true;
        SimDevice* d = &world->devices[slot];
        if (!read_device(r, w, object, d)) return false;
        if (slot + 1 > world->device_count) world->device_count = slot + 1;
        next_slot = slot + 1;
        i++;
    }
    return true;
}

bool read_model(Reader* r, const Where& w, const cJSON* object, SimModel* m) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        // The request's DeviceModel field is 8 bytes and terminated: 7 characters fit.
        if (is(key, "name")) ok = read_text(r, w, key, item, m->name, 7);
        else if (is(key, "retry_delay")) ok = read_u32(r, w, key, item, &m->retry_delay);
        else if (is(key, "repeat_error")) ok = read_u32(r, w, key, item, &m->repeat_error);
        else if (is(key, "repeat_interval")) ok = read_u32(r, w, key, item, &m->repeat_interval);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_models(Reader* r, const cJSON* list, SimWorld* world) {
    if (!expect_list(r, Where{}, "models", list, SIM_MAX_MODELS, "models")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where w = where_item("models", i);
        if (!expect_object(r, w, nullptr, object) || !read_model(r, w, object, &world->models[i])) return false;
        i++;
    }
    world->model_count = i;
    return true;
}

// A request named by word or hexadecimal code.
bool read_request(Reader* r, const Where& w, const char* key, const cJSON* item, uint32_t* code) {
    if (!cJSON_IsString(item)) return fail(r, w, key, "a request name expected, found %s", kind(item));
    if (!world_request_code(item->valuestring, code))
        return fail(r, w, key, "unknown request \"%.60s\"", item->valuestring);
    return true;
}

bool read_fault(Reader* r, const Where& w, const cJSON* object, SimFault* f) {
    f->slot = -1;
    f->reply_bytes = -1;
    f->status = -1;
    bool named = false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "request")) {
            ok = read_request(r, w, key, item, &f->code);
            named = true;
        } else if (is(key, "slot")) ok = read_optional_i32(r, w, key, item, &f->slot);
        else if (is(key, "error")) ok = read_u32(r, w, key, item, &f->error);
        else if (is(key, "reply_bytes")) ok = read_optional_i32(r, w, key, item, &f->reply_bytes);
        else if (is(key, "status")) ok = read_optional_i32(r, w, key, item, &f->status);
        else if (is(key, "count")) {
            ok = cJSON_IsNull(item) || read_i32(r, w, key, item, &f->count);
            f->count_given = !cJSON_IsNull(item);
        }        else if (is(key, "times")) {
            int64_t n;
            ok = read_integer(r, w, key, item, 0, INT32_MAX, &n);
            f->remaining = int32_t(n);
        } else if (is(key, "after")) {
            int64_t n;
            ok = read_integer(r, w, key, item, 0, INT32_MAX, &n);
            f->after = int32_t(n);
        } else if (is(key, "page")) {
            int64_t n = 0;
            ok = cJSON_IsNull(item) || read_integer(r, w, key, item, 0, 255, &n);
            f->page_given = !cJSON_IsNull(item);
            f->page = uint32_t(n);
        } else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    if (!named) return fail(r, w, "request", "missing");
    return true;
}

bool read_faults(Reader* r, const cJSON* list, SimWorld* world) {
    if (!expect_list(r, Where{}, "faults", list, SIM_MAX_FAULTS, "faults")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where w = where_item("faults", i);
        if (!expect_object(r, w, nullptr, object) || !read_fault(r, w, object, &world->faults[i])) return false;
        i++;
    }
    world->fault_count = i;
    return true;
}

bool read_versions(Reader* r, const cJSON* object, SimWorld* world) {
    Where w{"versions"};
    if (!expect_object(r, Where{}, "versions", object)) return false;
    SimVersions* v = &world->versions;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (cJSON_IsNull(item) && (is(key, "dsm_build_number") || is(key, "dsm_file_version") ||
                                   is(key, "mpio_file_version")))
            continue;  // null: that file is missing
        bool ok;
        if (is(key, "dsm_build_number")) {
            ok = read_field(r, w, key, item, v->dsm_build_number);
            v->dsm_present = 1;
            v->dsm_build_number_empty = ok && v->dsm_build_number[0] == '\0';
        } else if (is(key, "dsm_file_version")) {
            ok = read_file_version(r, w, key, item, v->dsm_file_version);
            v->dsm_present = 1;
        } else if (is(key, "mpio_file_version")) {
            ok = read_file_version(r, w, key, item, v->mpio_file_version);
            v->mpio_present = 1;
        } else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

// "0a1b..." of at most SIM_JOURNAL_HEAD bytes.
bool read_head(Reader* r, const Where& w, const char* key, const cJSON* item, SimJournalEntry* e) {
    const char* text = cJSON_IsString(item) ? item->valuestring : nullptr;
    size_t n = text != nullptr ? strlen(text) : 0;
    if (text == nullptr || n % 2 != 0 || n / 2 > size_t(SIM_JOURNAL_HEAD))
        return fail(r, w, key, "an even number of hex digits (at most %d bytes) expected", SIM_JOURNAL_HEAD);
    for (size_t i = 0; i < n / 2; i++) {
        int hi = hex_digit(text[2 * i]);
        int lo = hex_digit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return fail(r, w, key, "\"%c%c\" is not a hex byte", text[2 * i], text[2 * i + 1]);
        e->head[i] = uint8_t(hi << 4 | lo);
    }
    e->head_len = uint8_t(n / 2);
    return true;
}

bool read_journal_entry(Reader* r, const Where& w, const cJSON* object, SimJournalEntry* e) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "sequence")) ok = read_u32(r, w, key, item, &e->sequence);
        else if (is(key, "request")) ok = read_request(r, w, key, item, &e->code);
        else if (is(key, "in_len")) ok = read_u32(r, w, key, item, &e->in_len);
        else if (is(key, "out_len")) ok = read_u32(r, w, key, item, &e->out_len);
        else if (is(key, "error")) ok = read_u32(r, w, key, item, &e->error);
        else if (is(key, "returned")) ok = read_u32(r, w, key, item, &e->returned);
        else if (is(key, "head")) ok = read_head(r, w, key, item, e);
        else if (is(key, "tail_nonzero")) ok = read_flag8(r, w, key, item, &e->tail_nonzero);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_journal(Reader* r, const cJSON* object, SimWorld* world) {
    Where w{"journal"};
    if (!expect_object(r, Where{}, "journal", object)) return false;
    const cJSON* entries = cJSON_GetObjectItemCaseSensitive(object, "entries");
    const cJSON* count_item = cJSON_GetObjectItemCaseSensitive(object, "count");
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        if (!is(item->string, "entries") && !is(item->string, "count")) return unknown_key(r, w, item->string);
    }
    int listed = 0;
    if (entries != nullptr) {
        if (!expect_list(r, w, "entries", entries, SIM_JOURNAL_SIZE, "entries")) return false;
        listed = cJSON_GetArraySize(entries);
    }
    uint32_t count = uint32_t(listed);
    if (count_item != nullptr && !read_u32(r, w, "count", count_item, &count)) return false;
    // The ring keeps the latest entries of `count`: the list must be exactly those.
    uint32_t kept = count < uint32_t(SIM_JOURNAL_SIZE) ? count : uint32_t(SIM_JOURNAL_SIZE);
    if (uint32_t(listed) != kept)
        return fail(r, w, "entries", "count %u keeps %u entries, but %d are listed", count, kept, listed);
    SimJournal* j = &world->journal;
    j->count = count;
    uint32_t first = count - kept;
    if (entries == nullptr) return true;
    uint32_t i = 0;
    const cJSON* entry;
    cJSON_ArrayForEach(entry, entries) {
        Where ew = where_nested(w, "entries", int(i));
        SimJournalEntry* e = &j->entries[(first + i) % SIM_JOURNAL_SIZE];
        e->sequence = first + i;
        if (!expect_object(r, ew, nullptr, entry) || !read_journal_entry(r, ew, entry, e)) return false;
        i++;
    }
    return true;
}

// Adapters that do not give their path counts get them from the devices' paths.
void count_adapter_paths(SimWorld* world, const Defaults* defaults) {
    for (int a = 0; a < world->adapter_count; a++) {
        SimAdapter* adapter = &world->adapters[a];
        int32_t paths = 0;
        int32_t active = 0;
        for (int i = 0; i < world->device_count; i++) {
            const SimDevice* d = &world->devices[i];
            if (d->slot_state != SIM_SLOT_PRESENT) continue;
            for (uint32_t p = 0; p < d->path_count; p++) {
                if (strcmp(d->paths[p].adapter_name, adapter->name) != 0) continue;
                paths++;
                if (d->paths[p].state == DSM_PATH_OPEN && d->paths[p].mode == DSM_MODE_NORMAL) active++;
            }
        }
        if (!defaults->adapter_path_count_given[a]) adapter->path_count = paths;
        if (!defaults->adapter_active_path_count_given[a]) adapter->active_path_count = active;
    }
}

bool read_world(Reader* r, const cJSON* root, SimWorld* world) {
    if (!cJSON_IsObject(root)) return fail(r, Where{}, nullptr, "the world must be a JSON object");
    Defaults defaults = {};
    // Sections that depend on others are read in a fixed order, whatever the text's order.
    const cJSON* adapters = nullptr;
    const cJSON* devices = nullptr;
    const cJSON* item;
    cJSON_ArrayForEach(item, root) {
        const char* key = item->string;
        bool ok;
        if (is(key, "driver")) ok = read_driver(r, item, world, &defaults);
        else if (is(key, "adapters")) {
            adapters = item;
            ok = true;
        } else if (is(key, "devices")) {
            devices = item;
            ok = true;
        } else if (is(key, "models")) ok = read_models(r, item, world);
        else if (is(key, "trace_mask")) ok = read_u32(r, Where{}, key, item, &world->trace_mask);
        else if (is(key, "perf_collection")) ok = read_u32(r, Where{}, key, item, &world->perf_collection);
        else if (is(key, "rtpg_count")) ok = read_u32(r, Where{}, key, item, &world->rtpg_count);
        else if (is(key, "versions")) ok = read_versions(r, item, world);
        else if (is(key, "faults")) ok = read_faults(r, item, world);
        else if (is(key, "journal")) ok = read_journal(r, item, world);
        else if (is(key, "hba")) ok = read_hba(r, item, &world->hba);
        else if (is(key, "preserve_access")) ok = read_preserve_access(r, item, &world->preserve_access);
        else if (is(key, "device_perf")) ok = read_device_perf(r, item, &world->settings);
        else if (is(key, "device_tree")) ok = read_device_tree(r, item, &world->device_tree);
        else if (is(key, "disks")) ok = read_disks(r, item, &world->disks);
        else if (is(key, "capacity")) ok = read_capacity(r, item, world);
        else ok = unknown_key(r, Where{}, key);
        if (!ok) return false;
    }
    if (adapters != nullptr && !read_adapters(r, adapters, world, &defaults)) return false;
    if (devices != nullptr && !read_devices(r, devices, world)) return false;
    // A scenario describes a SAN behind a loaded driver unless it says otherwise.
    if (!defaults.driver_loaded_given) world->driver_loaded = 1;
    if (!defaults.device_slots_given) world->device_slot_count = world->device_count;
    count_adapter_paths(world, &defaults);
    return true;
}

// Line and column (both from 1) of `at` inside `text`.
void position_of(const char* text, const char* at, int* line, int* column) {
    *line = 1;
    *column = 1;
    for (const char* p = text; p < at && *p != '\0'; p++) {
        if (*p == '\n') {
            (*line)++;
            *column = 1;
        } else {
            (*column)++;
        }
    }
}

}  // namespace

bool world_request_code(const char* word, uint32_t* code) {
    uint32_t named = sim_request_code(word);
    if (named != 0) {
        *code = named;
        return true;
    }
    // Hex codes carry their "0x", so a mistyped word is never taken for a number.
    if (word[0] != '0' || (word[1] != 'x' && word[1] != 'X')) return false;
    const char* digits = word + 2;
    if (digits[0] == '\0' || strlen(digits) > 8) return false;
    uint32_t v = 0;
    for (const char* p = digits; *p != '\0'; p++) {
        int d = hex_digit(*p);
        if (d < 0) return false;
        v = v << 4 | uint32_t(d);
    }
    *code = v;
    return true;
}

bool world_from_json(const char* text, SimWorld* world, char* error, size_t error_size) {
    sim_world_clear(world);
    if (error != nullptr && error_size > 0) error[0] = '\0';
    Reader r{error, error_size};
    const char* end = nullptr;
    cJSON* root = cJSON_ParseWithOpts(text, &end, 1);
    if (root == nullptr) {
        int line;
        int column;
        position_of(text, end != nullptr ? end : text, &line, &column);
        fail(&r, Where{}, nullptr, "not valid JSON at line %d, column %d", line, column);
        return false;
    }
    bool ok = read_world(&r, root, world);
    cJSON_Delete(root);
    if (!ok) sim_world_clear(world);
    return ok;
}
