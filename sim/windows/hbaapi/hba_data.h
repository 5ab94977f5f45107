// The adapters and ports that the test HBA library reports, read from a small
// text file (its format is in sim/windows/README.md). Portable: no Windows calls.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int HBA_DATA_MAX_ADAPTERS = 16;
constexpr int HBA_DATA_MAX_PORTS = 64;        // adapter ports, all adapters together
constexpr int HBA_DATA_MAX_DISCOVERED = 256;  // discovered ports, all adapter ports together

// Which call of an item fails with HBA_STATUS_ERROR (or handle 0).
enum : uint8_t {
    HBA_FAIL_NONE = 0,
    HBA_FAIL_NAME = 1,        // HBA_GetAdapterName
    HBA_FAIL_OPEN = 2,        // HBA_OpenAdapter
    HBA_FAIL_ATTRIBUTES = 4,  // HBA_GetAdapterAttributes / ...PortAttributes
};

struct HbaAdapterData {
    char name[256];
    char manufacturer[64];
    char serial_number[64];
    char model[256];
    char driver_version[256];
    char option_rom_version[256];
    char firmware_version[256];
    uint8_t node_wwn[8];
    int32_t ports_reported;   // NumberOfPorts; -1: the number of its port lines
    uint8_t fail;
};

struct HbaPortData {
    int32_t parent;           // adapter (for a port) or port (for a discovered port) index
    uint8_t port_wwn[8];
    uint8_t node_wwn[8];
    uint32_t fc_id;
    uint32_t type;
    uint32_t state;
    uint32_t speed;
    char os_device_name[256];
    int32_t discovered_reported;  // NumberofDiscoveredPorts; -1: the number of its lines
    uint8_t fail;
};

struct HbaData {
    uint32_t version;         // what HBA_GetVersion returns
    uint8_t fail_load;        // HBA_LoadLibrary fails
    int32_t adapter_count;
    int32_t port_count;
    int32_t discovered_count;
    HbaAdapterData adapters[HBA_DATA_MAX_ADAPTERS];
    HbaPortData ports[HBA_DATA_MAX_PORTS];
    HbaPortData discovered[HBA_DATA_MAX_DISCOVERED];
};

// Clears *data (version 2, no adapters) and reads `text` into it. False on a bad
// line, with "line N: ..." in `error` (bounded by `size`).
bool hba_data_parse(const char* text, HbaData* data, char* error, size_t size);

// The `index`th port of `adapter`, the `index`th discovered port of an adapter's
// port, or nullptr. Counts are the numbers of lines given.
const HbaPortData* hba_data_port(const HbaData* data, int32_t adapter, uint32_t index);
const HbaPortData* hba_data_discovered(const HbaData* data, int32_t adapter, uint32_t port, uint32_t index);
int32_t hba_data_port_count(const HbaData* data, int32_t adapter);
int32_t hba_data_discovered_count(const HbaData* data, int32_t adapter, uint32_t port);
