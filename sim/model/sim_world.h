// The driver simulator's world: everything the simulated ravlindsm.sys knows.
// Freestanding (no heap, no library beyond mem*/str*) so the same object can live
// in a Linux process or in the test driver under Wine. Fixed-size tables only;
// every count is clamped to its table by the code that fills it.
#pragma once

#include <stdint.h>

#include "sim_codes.h"

#include "dsm_interface.h"
#include "sim_device_tree.h"
#include "sim_disk.h"
#include "sim_hba.h"
#include "sim_preserve_access.h"
#include "sim_settings.h"
#include "sim_query.h"

constexpr int SIM_MAX_DEVICES = SIM_DEVICE_SLOTS;  // 4096 on Linux, 1024 in the test driver
constexpr int SIM_MAX_ADAPTERS = DSM_MAX_ADAPTERS;
constexpr int SIM_MAX_PATHS = DSM_MAX_PATHS;
constexpr int SIM_MAX_FAULTS = 32;
constexpr int SIM_MAX_MODELS = 16;
constexpr int SIM_JOURNAL_SIZE = 512;
constexpr int SIM_JOURNAL_HEAD = 96;  // input bytes kept per request


enum : uint8_t {
    SIM_SLOT_ABSENT = 0,   // empty slot: error 2
    SIM_SLOT_PRESENT = 1,
    SIM_SLOT_REMOVED = 2,  // error 1617
    SIM_SLOT_INVALID = 3,  // Status 3 in a short reply
};

struct SimPath {
    char disk_name[48];
    char adapter_name[48];
    uint32_t state;
    uint32_t mode;
    int32_t select_count;
    int32_t error_count;
    uint8_t scsi_address[4];
    uint32_t non_optimized;
};

struct SimDevice {
    uint8_t slot_state;
    uint8_t interface_type;
    uint8_t is_csv;
    uint8_t has_preferred_path;
    uint32_t preferred_path;
    uint32_t scsi_level;
    uint32_t policy;
    uint32_t scope;
    uint32_t is_reserved;
    uint32_t key_count;
    uint64_t key;
    char device_name[48];
    char serial_number[64];   // the record field holds 63 bytes
    char product_id[9];       // 8 characters on the wire
    char lun_identifier[68];
    uint32_t path_count;      // 0..SIM_MAX_PATHS
    SimPath paths[SIM_MAX_PATHS];
    uint32_t io_counters[5];
    uint32_t sector_counters[5];
    uint32_t size_histogram[5];
};

struct SimAdapter {
    uint8_t active;           // listed by IOCTL_DSM_GET_ADAPTER_INFO
    uint8_t bus_type;
    uint32_t state;
    uint32_t mode;
    uint32_t select_count;
    int32_t error_count;
    int32_t path_count;
    int32_t active_path_count;
    char name[48];
    uint32_t io_counters[5];
    uint32_t sector_counters[5];
};

// Per-model retry and repeat settings.
struct SimModel {
    char name[8];
    uint32_t retry_delay;
    uint32_t repeat_error;
    uint32_t repeat_interval;
};

// A fault is data: the next matching request (or every one) is answered with it.
struct SimFault {
    uint32_t code;         // request code, SIM_CODE_OPEN or SIM_CODE_CLOSE
    int32_t slot;          // device or adapter number (disk number for a disk) the request names; -1 any
    uint32_t error;        // nonzero: fail the request with this Windows error
    int32_t reply_bytes;   // >= 0: cut a successful reply to this many bytes
    int32_t status;        // >= 0: write this into the reply's leading Status word
    int32_t remaining;     // 0: every matching request; n: the next n only
    int32_t after;         // n > 0: the next n matching requests pass untouched first
    uint32_t count_given;  // nonzero: a count request answers `count`
    int32_t count;
    uint32_t page_given;   // nonzero: only a disk pass-through asking for INQUIRY page `page`
    uint32_t page;
};

struct SimJournalEntry {
    uint32_t sequence;
    uint32_t code;
    uint32_t in_len;
    uint32_t out_len;
    uint32_t error;
    uint32_t returned;
    uint8_t head_len;                 // bytes of input kept in head
    uint8_t tail_nonzero;             // a nonzero byte of input lies beyond head
    uint8_t head[SIM_JOURNAL_HEAD];
};

// Ring of the latest SIM_JOURNAL_SIZE requests; `count` may exceed the ring.
struct SimJournal {
    uint32_t count;
    SimJournalEntry entries[SIM_JOURNAL_SIZE];
};

struct SimVersions {
    uint8_t dsm_present;
    uint8_t mpio_present;
    char dsm_build_number[64];    // "Product Build Number" of ravlindsm.sys
    uint16_t dsm_file_version[4];
    uint16_t mpio_file_version[4];
    uint8_t dsm_build_number_empty;  // the resource holds the value, and it is empty
};

// The Fibre Channel adapters that the HBA library reports (not the DSM's adapters
// above, which are the driver's view). Texts have the API's field sizes.
struct SimHbaDiscovered {
    uint8_t port_wwn[8];
    uint8_t node_wwn[8];
    uint32_t fc_id;
    uint32_t type;
    uint32_t state;
    uint32_t speed;
    uint8_t fail;             // SIM_HBA_FAIL_ATTRIBUTES
};

struct SimHbaPort {
    uint8_t port_wwn[8];
    uint8_t node_wwn[8];
    uint32_t fc_id;
    uint32_t type;
    uint32_t state;
    uint32_t speed;
    uint8_t fail;             // SIM_HBA_FAIL_ATTRIBUTES
    int32_t reported_discovered;  // NumberofDiscoveredPorts; -1: the number listed
    char os_device_name[256];
    int32_t discovered_count;
    SimHbaDiscovered discovered[SIM_HBA_MAX_DISCOVERED];
};

struct SimHbaAdapter {
    char name[256];
    char manufacturer[64];
    char serial_number[64];
    char model[256];
    char driver_version[256];
    char option_rom_version[256];
    char firmware_version[256];
    uint8_t node_wwn[8];
    uint8_t fail;             // SIM_HBA_FAIL_NAME, _OPEN, _ATTRIBUTES
    int32_t reported_ports;   // NumberOfPorts; -1: the number listed
    int32_t port_count;
    SimHbaPort ports[SIM_HBA_MAX_PORTS];
};

struct SimHba {
    uint32_t version;         // HBA_GetVersion
    uint8_t fail;             // SIM_HBA_FAIL_LOAD_LIBRARY
    int32_t adapter_count;
    SimHbaAdapter adapters[SIM_HBA_MAX_ADAPTERS];
};

struct SimWorld {
    uint32_t driver_loaded;
    int32_t device_slot_count;    // what IOCTL_DSM_GET_COUNTS reports
    int32_t device_count;         // devices[] entries in use; later slots are absent
    int32_t adapter_count;        // adapters[] entries in use
    int32_t model_count;
    int32_t fault_count;
    uint32_t trace_mask;
    uint32_t perf_collection;
    uint32_t rtpg_count;
    uint32_t changed;             // set by the model whenever it changes the world
    SimVersions versions;
    SimAdapter adapters[SIM_MAX_ADAPTERS];
    SimModel models[SIM_MAX_MODELS];
    SimFault faults[SIM_MAX_FAULTS];
    SimJournal journal;
    SimDevice devices[SIM_MAX_DEVICES];
    SimHba hba;
    SimPreserveAccess preserve_access;
    SimSettings settings;
    SimDeviceTree device_tree;
    SimDisks disks;
    SimQueryWorld query;
};
