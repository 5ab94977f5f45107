#include "host_port_table.h"

#include <string.h>

namespace {

HostPortTable g_table;
bool g_in_pass = false;
bool g_loaded = false;

}  // namespace

void host_ports_begin_pass() {
    g_in_pass = true;
    g_loaded = false;
}

void host_ports_end_pass() {
    g_in_pass = false;
    g_loaded = false;
}

const HostPortTable* host_ports_for_display() {
    if (g_in_pass && g_loaded) return &g_table;
    memset(&g_table, 0, sizeof g_table);
    int32_t count = 0;
    // Its status does not matter: a failed run shows as missing ports.
    read_host_ports("Fenmar.exe WWPNHP", g_table.port_ids, g_table.wwpns, &count);
    if (count < 0) count = 0;
    if (count > kHostPortMax) count = kHostPortMax;
    for (int32_t i = 0; i < count; i++) g_table.wwpns[i][kHostPortTextSize - 1] = '\0';
    g_table.count = count;
    g_loaded = true;
    return &g_table;
}

const char* host_port_find(const HostPortTable* table, uint8_t port_id) {
    for (int32_t i = 0; i < table->count; i++)
        if (table->port_ids[i] == port_id) return table->wwpns[i];
    return nullptr;
}

const char* host_port_wwpn(const HostPortTable* table, uint8_t port_id) {
    const char* wwpn = host_port_find(table, port_id);
    return wwpn != nullptr ? wwpn : "0000000000000000";
}
