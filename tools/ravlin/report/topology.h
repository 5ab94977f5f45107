// A SAN's devices and paths as `query diff` compares them: read from a saved
// device listing, or built from the live device records. Memory grows with the
// devices and paths there are, nothing else.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "dsm_interface.h"
#include "host_port_table.h"

constexpr size_t kTopoTextSize = 64;     // serial (63 bytes) and its NUL
constexpr size_t kTopoNameSize = 49;     // adapter names (48 bytes) and a NUL
constexpr size_t kTopoVolumeSize = 128;  // volume names (127 bytes) and a NUL
constexpr size_t kTopoWwpnSize = 40;     // a target port's WWPN text and a NUL

struct TopoPath {
    char adapter[kTopoNameSize];
    uint8_t address[4];      // port, bus, target, LUN
    uint32_t state;
    uint32_t mode;
    bool non_optimized;
    bool has_wwpn;           // a target port was asked for (-s)
    bool wwpn_known;         // ... and the HBA tool reported one
    char wwpn[kTopoWwpnSize];
};

struct TopoDevice {
    int32_t number;
    char serial[kTopoTextSize];  // bytes as the driver sent them, NUL-terminated
    uint32_t policy;
    bool has_preferred;
    uint32_t preferred;
    bool reserved;
    bool capacity_read;      // false: not read (or not known): not compared
    bool has_capacity;       // read, and the LUN answered with a size
    uint64_t capacity;       // bytes
    bool volume_read;        // false: not read: not compared
    bool has_volume;
    char volume[kTopoVolumeSize];
    bool all_paths;          // closed paths are listed too
    int32_t first_path;      // into Topology::paths
    int32_t path_count;
};

// An adapter of the driver's table as the listing saves it.
struct TopoAdapter {
    int32_t number;          // its place in the table
    char name[kTopoNameSize];
    uint32_t bus_type;
    uint32_t state;
    uint32_t mode;
    bool active;             // it has paths: the adapter query shows it
};

// Which devices a listing shows: every one, or those of one interface, or CSV disks.
enum class TopoScope { All, Fc, Iscsi, Sas, Csv };

struct Topology {
    std::vector<TopoDevice> devices;
    std::vector<TopoPath> paths;
    bool with_ports = false;           // the paths carry target ports (saved with -s)
    TopoScope scope = TopoScope::All;  // the devices the saved listing took in
    // The adapter table; a listing saved before it carried one has none, and then
    // adapters are known only from the names the paths give.
    bool has_adapters = false;
    std::vector<TopoAdapter> adapters;
};

// True when the listing of `scope` shows the device of `record`.
bool topology_scope_takes(TopoScope scope, const DSM_DEVICE_RECORD* record);

// Adds a present device from its record and preferred-path copy (IsSet 0: none),
// every path of the record. `ports` (nullptr: no -s) gives each path's target port.
// Capacity and volume name are left unread.
void topology_add_record(Topology* t, const DSM_DEVICE_RECORD* record, const DSM_PREFERRED_PATH* preferred,
                         const HostPortTable* ports);

// Takes in the adapter table (its count clamped to the entries it holds) and marks
// the topology as carrying one.
void topology_add_adapters(Topology* t, const DSM_ADAPTER_TABLE* table);
