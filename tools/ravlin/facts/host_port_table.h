// The storage ports the HBA tool reports, for the target-port column. Within a
// listing pass the tool runs at most once; outside a pass, once per display.
#pragma once

#include <stdint.h>

#include "host_ports.h"

struct HostPortTable {
    int32_t count;  // 0..kHostPortMax
    uint8_t port_ids[kHostPortMax];
    char wwpns[kHostPortMax][kHostPortTextSize];
};

void host_ports_begin_pass();
void host_ports_end_pass();

// The table for the current display: read now, or kept from earlier in the pass.
// The table is owned here and lives until the next call.
const HostPortTable* host_ports_for_display();

// The WWPN of the first entry whose port id is `port_id` (owned by the table), or nullptr.
const char* host_port_find(const HostPortTable* table, uint8_t port_id);
// The WWPN of the first entry whose port id is `port_id`, or "0000000000000000".
const char* host_port_wwpn(const HostPortTable* table, uint8_t port_id);
