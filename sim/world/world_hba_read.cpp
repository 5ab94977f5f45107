// Reads the scenario's "hba" section. Like the rest of the reader, every value
// is checked against its field before it is stored.
#include <string.h>

#include "world_hba_json.h"
#include "world_words.h"

namespace {

using namespace json_values;

// The keys an adapter port and a discovered port share. *known is false for any other key.
template <typename Port>
bool read_port_value(Reader* r, const Where& w, const char* key, const cJSON* item, Port* p, bool* known) {
    *known = true;
    if (is(key, "wwn")) return read_wwn(r, w, key, item, p->port_wwn);
    if (is(key, "node_wwn")) return read_wwn(r, w, key, item, p->node_wwn);
    if (is(key, "fcid")) return read_u32(r, w, key, item, &p->fc_id);
    if (is(key, "type")) return read_enum(r, w, key, item, &kHbaPortTypeWords, UINT32_MAX, &p->type);
    if (is(key, "state")) return read_enum(r, w, key, item, &kHbaPortStateWords, UINT32_MAX, &p->state);
    if (is(key, "speed")) return read_enum(r, w, key, item, &kHbaPortSpeedWords, UINT32_MAX, &p->speed);
    if (is(key, "fail")) return read_word_set(r, w, key, item, &kHbaPortFailWords, &p->fail);
    *known = false;
    return false;
}

bool read_discovered(Reader* r, const Where& w, const cJSON* object, SimHbaDiscovered* d) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        bool known;
        bool ok = read_port_value(r, w, item->string, item, d, &known);
        if (!known) return unknown_key(r, w, item->string);
        if (!ok) return false;
    }
    return true;
}

bool read_discovered_list(Reader* r, const Where& w, const cJSON* list, SimHbaPort* p) {
    if (!expect_list(r, w, "discovered", list, SIM_HBA_MAX_DISCOVERED, "discovered ports")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where dw = where_nested(w, "discovered", i);
        if (!expect_object(r, dw, nullptr, object) || !read_discovered(r, dw, object, &p->discovered[i])) return false;
        i++;
    }
    p->discovered_count = i;
    return true;
}

bool read_port(Reader* r, const Where& w, const cJSON* object, SimHbaPort* p) {
    p->reported_discovered = -1;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool known;
        bool ok = read_port_value(r, w, key, item, p, &known);
        if (!known) {
            if (is(key, "os_device_name")) ok = read_field(r, w, key, item, p->os_device_name);
            else if (is(key, "number_of_discovered")) ok = read_optional_count(r, w, key, item, &p->reported_discovered);
            else if (is(key, "discovered")) ok = read_discovered_list(r, w, item, p);
            else ok = unknown_key(r, w, key);
        }
        if (!ok) return false;
    }
    return true;
}

bool read_ports(Reader* r, const Where& w, const cJSON* list, SimHbaAdapter* a) {
    if (!expect_list(r, w, "ports", list, SIM_HBA_MAX_PORTS, "ports")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where pw = where_nested(w, "ports", i);
        if (!expect_object(r, pw, nullptr, object) || !read_port(r, pw, object, &a->ports[i])) return false;
        i++;
    }
    a->port_count = i;
    return true;
}

bool read_adapter(Reader* r, const Where& w, const cJSON* object, SimHbaAdapter* a) {
    a->reported_ports = -1;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "name")) ok = read_field(r, w, key, item, a->name);
        else if (is(key, "manufacturer")) ok = read_field(r, w, key, item, a->manufacturer);
        else if (is(key, "model")) ok = read_field(r, w, key, item, a->model);
        else if (is(key, "serial")) ok = read_field(r, w, key, item, a->serial_number);
        else if (is(key, "driver")) ok = read_field(r, w, key, item, a->driver_version);
        else if (is(key, "option_rom")) ok = read_field(r, w, key, item, a->option_rom_version);
        else if (is(key, "firmware")) ok = read_field(r, w, key, item, a->firmware_version);
        else if (is(key, "node_wwn")) ok = read_wwn(r, w, key, item, a->node_wwn);
        else if (is(key, "fail")) ok = read_word_set(r, w, key, item, &kHbaAdapterFailWords, &a->fail);
        else if (is(key, "number_of_ports")) ok = read_optional_count(r, w, key, item, &a->reported_ports);
        else if (is(key, "ports")) ok = read_ports(r, w, item, a);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_adapters(Reader* r, const Where& w, const cJSON* list, SimHba* hba) {
    if (!expect_list(r, w, "adapters", list, SIM_HBA_MAX_ADAPTERS, "adapters")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where aw = where_nested(w, "adapters", i);
        if (!expect_object(r, aw, nullptr, object) || !read_adapter(r, aw, object, &hba->adapters[i])) return false;
        i++;
    }
    hba->adapter_count = i;
    return true;
}

}  // namespace

bool read_hba(Reader* r, const cJSON* object, SimHba* hba) {
    Where w{"hba"};
    if (!expect_object(r, Where{}, "hba", object)) return false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "version")) ok = read_u32(r, w, key, item, &hba->version);
        else if (is(key, "fail")) ok = read_word_set(r, w, key, item, &kHbaLibraryFailWords, &hba->fail);
        else if (is(key, "adapters")) ok = read_adapters(r, w, item, hba);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}
