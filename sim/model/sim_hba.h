// The HBA snapshot: the simulated world's Fibre Channel adapters as the test HBA
// libraries read them. The 32-bit hbaapi.dll gets it from the 64-bit test driver,
// so the record has one layout on every build: fixed-width fields only, padding
// spelled out, no pointers (SimWorld itself differs between 32 and 64 bits).
// Freestanding like the rest of the model.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int SIM_HBA_MAX_ADAPTERS = 8;
constexpr int SIM_HBA_MAX_PORTS = 4;        // per adapter
constexpr int SIM_HBA_MAX_DISCOVERED = 16;  // per adapter port
constexpr uint32_t SIM_HBA_DEFAULT_VERSION = 2;

// Which calls fail with HBA_STATUS_ERROR (an open: handle 0). The library's own
// bit sits in the snapshot's `fail`; the others in an adapter's or a port's.
enum : uint8_t {
    SIM_HBA_FAIL_NAME = 1,          // HBA_GetAdapterName
    SIM_HBA_FAIL_OPEN = 2,          // HBA_OpenAdapter
    SIM_HBA_FAIL_ATTRIBUTES = 4,    // HBA_GetAdapterAttributes, ...PortAttributes
    SIM_HBA_FAIL_LOAD_LIBRARY = 8,  // HBA_LoadLibrary
};

// One port's attributes: an adapter's own port or a port it discovered.
struct SimHbaPortRecord {
    uint8_t port_wwn[8];
    uint8_t node_wwn[8];
    uint32_t fc_id;
    uint32_t type;
    uint32_t state;
    uint32_t speed;
    uint32_t reported_discovered;  // NumberofDiscoveredPorts
    uint32_t discovered_count;     // discovered[] entries in use, at most SIM_HBA_MAX_DISCOVERED
    uint8_t fail;
    uint8_t padding[3];
    char os_device_name[256];      // terminated
};

struct SimHbaHostPortRecord {
    SimHbaPortRecord attributes;
    SimHbaPortRecord discovered[SIM_HBA_MAX_DISCOVERED];
};

struct SimHbaAdapterRecord {
    char name[256];                // texts: terminated
    char manufacturer[64];
    char serial_number[64];
    char model[256];
    char driver_version[256];
    char option_rom_version[256];
    char firmware_version[256];
    uint8_t node_wwn[8];
    uint32_t reported_ports;       // NumberOfPorts
    uint32_t port_count;           // ports[] entries in use, at most SIM_HBA_MAX_PORTS
    uint8_t fail;
    uint8_t padding[3];
    SimHbaHostPortRecord ports[SIM_HBA_MAX_PORTS];
};

struct SimHbaSnapshot {
    uint32_t version;              // what HBA_GetVersion returns
    uint32_t adapter_count;        // at most SIM_HBA_MAX_ADAPTERS
    uint8_t fail;
    uint8_t padding[3];
    SimHbaAdapterRecord adapters[SIM_HBA_MAX_ADAPTERS];
};

// The layout both sides of the driver boundary rely on.
static_assert(alignof(SimHbaSnapshot) == 4);
static_assert(sizeof(SimHbaPortRecord) == 300);
static_assert(offsetof(SimHbaPortRecord, fc_id) == 16);
static_assert(offsetof(SimHbaPortRecord, fail) == 40);
static_assert(offsetof(SimHbaPortRecord, os_device_name) == 44);
static_assert(sizeof(SimHbaHostPortRecord) == 17 * 300);
static_assert(offsetof(SimHbaAdapterRecord, node_wwn) == 1408);
static_assert(offsetof(SimHbaAdapterRecord, reported_ports) == 1416);
static_assert(offsetof(SimHbaAdapterRecord, ports) == 1428);
static_assert(sizeof(SimHbaAdapterRecord) == 1428 + 4 * 17 * 300);
static_assert(offsetof(SimHbaSnapshot, adapters) == 12);
static_assert(sizeof(SimHbaSnapshot) == 12 + 8 * sizeof(SimHbaAdapterRecord));

struct SimWorld;

// The world's HBA section as the libraries see it: counts clamped to the tables,
// texts terminated, each reported count resolved (given, else the number listed).
void sim_hba_snapshot(const SimWorld* world, SimHbaSnapshot* out);
