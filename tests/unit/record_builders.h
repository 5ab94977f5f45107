// Hand-built device records and adapter tables for the tests of the verdict engine
// and of what a change would do to it.
#pragma once

#include <string.h>

#include <initializer_list>
#include <utility>

#include "dsm_interface.h"

struct PathSpec {
    const char* adapter;
    uint32_t state;
    uint32_t mode;
    uint8_t port_id;
    uint32_t non_optimized;
};

constexpr uint32_t OPEN = DSM_PATH_OPEN, DEAD = DSM_PATH_DEAD, CLOSE = DSM_PATH_CLOSE;
constexpr uint32_t NORMAL = DSM_MODE_NORMAL, OFFLINE = DSM_MODE_OFFLINE;

inline DSM_DEVICE_RECORD device(std::initializer_list<PathSpec> paths) {
    DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    strcpy(r.DeviceName, "\\Device\\Harddisk3\\DR3");
    strcpy(r.SerialNumber, "SER3");
    for (const PathSpec& p : paths) {
        DSM_PATH_ENTRY* e = &r.Paths[r.PathCount++];
        strncpy(e->AdapterName, p.adapter, sizeof e->AdapterName);
        e->State = p.state;
        e->Mode = p.mode;
        e->ScsiAddress[2] = p.port_id;
        e->NonOptimized = p.non_optimized;
    }
    return r;
}

inline DSM_ADAPTER_TABLE adapters(std::initializer_list<std::pair<const char*, uint32_t>> list) {
    DSM_ADAPTER_TABLE t;
    memset(&t, 0, sizeof t);
    for (const auto& a : list) {
        DSM_ADAPTER_ENTRY* e = &t.Adapters[t.AdapterCount++];
        strncpy(e->AdapterName, a.first, sizeof e->AdapterName);
        e->State = a.second;
    }
    return t;
}
