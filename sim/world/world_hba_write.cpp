// Writes the scenario's "hba" section in the form read_hba takes back.
#include <stdio.h>

#include "json_put.h"
#include "world_hba_json.h"
#include "world_words.h"

namespace {

using namespace json_put;

int clamp(int32_t n, int limit) { return n < 0 ? 0 : n > limit ? limit : int(n); }

void put_wwn(TextOut* out, const char* key, const uint8_t (&wwn)[8]) {
    char text[17];
    for (int i = 0; i < 8; i++) snprintf(text + 2 * i, 3, "%02X", unsigned(wwn[i]));
    put_text(out, key, text);
}

// The set bits of `set` that the table names, as a list of words in its order.
void put_word_set(TextOut* out, const char* key, const WordTable* table, uint8_t set) {
    json_key(out, key);
    json_begin(out, '[', false);
    for (size_t i = 0; i < table->count; i++) {
        if ((set & table->entries[i].value) == 0) continue;
        json_next(out);
        json_string(out, table->entries[i].word, 32);
    }
    json_end(out);
}

void put_fcid(TextOut* out, uint32_t fc_id) {
    char text[16];
    snprintf(text, sizeof text, "0x%06X", unsigned(fc_id));
    put_text(out, "fcid", text);
}

template <typename Port>
void put_port_values(TextOut* out, const Port* p) {
    put_wwn(out, "wwn", p->port_wwn);
    put_wwn(out, "node_wwn", p->node_wwn);
    put_fcid(out, p->fc_id);
    put_enum(out, "type", &kHbaPortTypeWords, p->type);
    put_enum(out, "state", &kHbaPortStateWords, p->state);
    put_enum(out, "speed", &kHbaPortSpeedWords, p->speed);
}

void put_port(TextOut* out, const SimHbaPort* p) {
    json_begin(out, '{', true);
    put_port_values(out, p);
    put_field(out, "os_device_name", p->os_device_name);
    put_word_set(out, "fail", &kHbaPortFailWords, p->fail);
    put_optional(out, "number_of_discovered", p->reported_discovered);
    json_key(out, "discovered");
    json_begin(out, '[', true);
    for (int i = 0; i < clamp(p->discovered_count, SIM_HBA_MAX_DISCOVERED); i++) {
        json_next(out);
        json_begin(out, '{', false);
        put_port_values(out, &p->discovered[i]);
        put_word_set(out, "fail", &kHbaPortFailWords, p->discovered[i].fail);
        json_end(out);
    }
    json_end(out);
    json_end(out);
}

void put_adapter(TextOut* out, const SimHbaAdapter* a) {
    json_begin(out, '{', true);
    put_field(out, "name", a->name);
    put_field(out, "manufacturer", a->manufacturer);
    put_field(out, "model", a->model);
    put_field(out, "serial", a->serial_number);
    put_field(out, "driver", a->driver_version);
    put_field(out, "option_rom", a->option_rom_version);
    put_field(out, "firmware", a->firmware_version);
    put_wwn(out, "node_wwn", a->node_wwn);
    put_word_set(out, "fail", &kHbaAdapterFailWords, a->fail);
    put_optional(out, "number_of_ports", a->reported_ports);
    json_key(out, "ports");
    json_begin(out, '[', true);
    for (int i = 0; i < clamp(a->port_count, SIM_HBA_MAX_PORTS); i++) {
        json_next(out);
        put_port(out, &a->ports[i]);
    }
    json_end(out);
    json_end(out);
}

}  // namespace

void put_hba(TextOut* out, const SimHba* hba) {
    json_key(out, "hba");
    json_begin(out, '{', true);
    put_uint(out, "version", hba->version);
    put_word_set(out, "fail", &kHbaLibraryFailWords, hba->fail);
    json_key(out, "adapters");
    json_begin(out, '[', true);
    for (int i = 0; i < clamp(hba->adapter_count, SIM_HBA_MAX_ADAPTERS); i++) {
        json_next(out);
        put_adapter(out, &hba->adapters[i]);
    }
    json_end(out);
    json_end(out);
}
