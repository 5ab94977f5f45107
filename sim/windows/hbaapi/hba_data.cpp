// Reads the test HBA library's data file: one item per line, "kind key=value ...".
#include "hba_data.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Line {
    const char* p;    // next character
    const char* end;  // end of the line
};

void skip_blanks(Line* l) {
    while (l->p < l->end && (*l->p == ' ' || *l->p == '\t' || *l->p == '\r')) l->p++;
}

// The next word (up to a blank or '='); false at the end of the line.
bool next_word(Line* l, char* out, size_t size) {
    skip_blanks(l);
    size_t n = 0;
    while (l->p < l->end && *l->p != ' ' && *l->p != '\t' && *l->p != '\r' && *l->p != '=') {
        if (n + 1 < size) out[n++] = *l->p;
        l->p++;
    }
    out[n] = '\0';
    return n > 0;
}

// A value after '=': a "quoted text" (no escapes) or up to the next blank.
// False when it does not fit `size`.
bool next_value(Line* l, char* out, size_t size) {
    size_t n = 0;
    bool quoted = l->p < l->end && *l->p == '"';
    if (quoted) l->p++;
    while (l->p < l->end) {
        char c = *l->p;
        if (quoted ? c == '"' : (c == ' ' || c == '\t' || c == '\r')) break;
        if (n + 1 >= size) return false;
        out[n++] = c;
        l->p++;
    }
    if (quoted) {
        if (l->p >= l->end) return false;  // no closing quote
        l->p++;
    }
    out[n] = '\0';
    return true;
}

bool parse_number(const char* text, uint32_t* out) {
    if (*text == '\0' || *text == '-') return false;
    char* end = nullptr;
    unsigned long long v = strtoull(text, &end, 0);
    if (*end != '\0' || v > 0xFFFFFFFFull) return false;
    *out = uint32_t(v);
    return true;
}

bool parse_wwn(const char* text, uint8_t out[8]) {
    if (strlen(text) != 16) return false;
    for (int i = 0; i < 8; i++) {
        unsigned v = 0;
        for (int j = 0; j < 2; j++) {
            char c = text[2 * i + j];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + unsigned(d);
        }
        out[i] = uint8_t(v);
    }
    return true;
}

bool parse_fail(const char* text, uint8_t* out) {
    if (strcmp(text, "name") == 0) *out |= HBA_FAIL_NAME;
    else if (strcmp(text, "open") == 0) *out |= HBA_FAIL_OPEN;
    else if (strcmp(text, "attributes") == 0) *out |= HBA_FAIL_ATTRIBUTES;
    else return false;
    return true;
}

bool copy_value(char* field, size_t size, const char* value) {
    if (strlen(value) >= size) return false;
    memcpy(field, value, strlen(value) + 1);
    return true;
}

bool set_adapter(HbaAdapterData* a, const char* key, const char* value) {
    uint32_t n = 0;
    if (strcmp(key, "name") == 0) return copy_value(a->name, sizeof a->name, value);
    if (strcmp(key, "manufacturer") == 0) return copy_value(a->manufacturer, sizeof a->manufacturer, value);
    if (strcmp(key, "serial") == 0) return copy_value(a->serial_number, sizeof a->serial_number, value);
    if (strcmp(key, "model") == 0) return copy_value(a->model, sizeof a->model, value);
    if (strcmp(key, "driver") == 0) return copy_value(a->driver_version, sizeof a->driver_version, value);
    if (strcmp(key, "rom") == 0) return copy_value(a->option_rom_version, sizeof a->option_rom_version, value);
    if (strcmp(key, "firmware") == 0) return copy_value(a->firmware_version, sizeof a->firmware_version, value);
    if (strcmp(key, "node_wwn") == 0) return parse_wwn(value, a->node_wwn);
    if (strcmp(key, "ports") == 0) {
        if (!parse_number(value, &n) || n > 0x7FFFFFFF) return false;
        a->ports_reported = int32_t(n);
        return true;
    }
    if (strcmp(key, "fail") == 0) return parse_fail(value, &a->fail);
    return false;
}

bool set_port(HbaPortData* p, const char* key, const char* value) {
    uint32_t n = 0;
    if (strcmp(key, "wwn") == 0) return parse_wwn(value, p->port_wwn);
    if (strcmp(key, "node_wwn") == 0) return parse_wwn(value, p->node_wwn);
    if (strcmp(key, "fcid") == 0) return parse_number(value, &p->fc_id);
    if (strcmp(key, "type") == 0) return parse_number(value, &p->type);
    if (strcmp(key, "state") == 0) return parse_number(value, &p->state);
    if (strcmp(key, "speed") == 0) return parse_number(value, &p->speed);
    if (strcmp(key, "os") == 0) return copy_value(p->os_device_name, sizeof p->os_device_name, value);
    if (strcmp(key, "discovered") == 0) {
        if (!parse_number(value, &n) || n > 0x7FFFFFFF) return false;
        p->discovered_reported = int32_t(n);
        return true;
    }
    if (strcmp(key, "fail") == 0) {
        if (strcmp(value, "attributes") != 0) return false;
        p->fail |= HBA_FAIL_ATTRIBUTES;
        return true;
    }
    return false;
}

bool fail(char* error, size_t size, int line, const char* what, const char* word) {
    snprintf(error, size, "line %d: %s %s", line, what, word);
    return false;
}

// One line; `number` for messages.
bool parse_line(HbaData* d, Line* l, int number, char* error, size_t size) {
    char kind[32];
    if (!next_word(l, kind, sizeof kind) || kind[0] == '#') return true;  // blank or comment
    char value[256];
    if (strcmp(kind, "version") == 0 || strcmp(kind, "fail") == 0) {
        skip_blanks(l);
        if (!next_value(l, value, sizeof value)) return fail(error, size, number, "bad value after", kind);
        if (strcmp(kind, "fail") == 0) {
            if (strcmp(value, "load_library") != 0) return fail(error, size, number, "unknown failure", value);
            d->fail_load = 1;
            return true;
        }
        if (!parse_number(value, &d->version)) return fail(error, size, number, "bad version", value);
        return true;
    }
    HbaAdapterData* adapter = nullptr;
    HbaPortData* port = nullptr;
    if (strcmp(kind, "adapter") == 0) {
        if (d->adapter_count >= HBA_DATA_MAX_ADAPTERS) return fail(error, size, number, "too many", "adapters");
        adapter = &d->adapters[d->adapter_count++];
        adapter->ports_reported = -1;
    } else if (strcmp(kind, "port") == 0) {
        if (d->adapter_count == 0) return fail(error, size, number, "no adapter before", "port");
        if (d->port_count >= HBA_DATA_MAX_PORTS) return fail(error, size, number, "too many", "ports");
        port = &d->ports[d->port_count++];
        port->parent = d->adapter_count - 1;
        port->discovered_reported = -1;
    } else if (strcmp(kind, "discovered") == 0) {
        if (d->port_count == 0) return fail(error, size, number, "no port before", "discovered");
        if (d->discovered_count >= HBA_DATA_MAX_DISCOVERED) return fail(error, size, number, "too many", "discovered ports");
        port = &d->discovered[d->discovered_count++];
        port->parent = d->port_count - 1;
        port->discovered_reported = -1;
    } else {
        return fail(error, size, number, "unknown item", kind);
    }
    char key[32];
    while (next_word(l, key, sizeof key)) {
        if (l->p >= l->end || *l->p != '=') return fail(error, size, number, "no '=' after", key);
        l->p++;
        if (!next_value(l, value, sizeof value)) return fail(error, size, number, "bad or too long value for", key);
        bool ok = adapter != nullptr ? set_adapter(adapter, key, value) : set_port(port, key, value);
        if (!ok) return fail(error, size, number, "bad key or value:", key);
    }
    return true;
}

// Port index (into data->ports) of the `index`th port of `adapter`, or -1.
int32_t port_slot(const HbaData* d, int32_t adapter, uint32_t index) {
    uint32_t seen = 0;
    for (int32_t i = 0; i < d->port_count; i++) {
        if (d->ports[i].parent != adapter) continue;
        if (seen++ == index) return i;
    }
    return -1;
}

}  // namespace

bool hba_data_parse(const char* text, HbaData* data, char* error, size_t size) {
    memset(data, 0, sizeof *data);
    data->version = 2;
    int number = 1;
    for (const char* p = text; *p != '\0'; number++) {
        const char* end = strchr(p, '\n');
        if (end == nullptr) end = p + strlen(p);
        Line line{p, end};
        if (!parse_line(data, &line, number, error, size)) return false;
        p = *end == '\n' ? end + 1 : end;
    }
    return true;
}

int32_t hba_data_port_count(const HbaData* data, int32_t adapter) {
    int32_t n = 0;
    for (int32_t i = 0; i < data->port_count; i++)
        if (data->ports[i].parent == adapter) n++;
    return n;
}

const HbaPortData* hba_data_port(const HbaData* data, int32_t adapter, uint32_t index) {
    int32_t slot = port_slot(data, adapter, index);
    return slot < 0 ? nullptr : &data->ports[slot];
}

int32_t hba_data_discovered_count(const HbaData* data, int32_t adapter, uint32_t port) {
    int32_t slot = port_slot(data, adapter, port);
    int32_t n = 0;
    for (int32_t i = 0; slot >= 0 && i < data->discovered_count; i++)
        if (data->discovered[i].parent == slot) n++;
    return n;
}

const HbaPortData* hba_data_discovered(const HbaData* data, int32_t adapter, uint32_t port, uint32_t index) {
    int32_t slot = port_slot(data, adapter, port);
    uint32_t seen = 0;
    for (int32_t i = 0; slot >= 0 && i < data->discovered_count; i++) {
        if (data->discovered[i].parent != slot) continue;
        if (seen++ == index) return &data->discovered[i];
    }
    return nullptr;
}
