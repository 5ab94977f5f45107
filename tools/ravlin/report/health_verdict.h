// The redundancy verdict of one multipath device, judged from its device record
// and the adapter table alone. Pure: no driver, no output.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "dsm_interface.h"
#include "host_port_table.h"

// Ordered by severity: a larger value is worse.
enum class HealthVerdict { Ok = 0, NoOptimized = 1, Degraded = 2, Spof = 3, Down = 4 };

// Why a device is not OK; each kind is named in the machine output.
enum class HealthReasonKind {
    NoActivePath,        // DOWN
    SinglePath,          // SPOF: one path carries everything
    SingleAdapter,       // SPOF: every path through one adapter
    SingleTargetPort,    // SPOF (-s): every path to one storage port
    FailedPaths,         // DEGRADED
    AdapterNotNormal,    // DEGRADED: a path through a FAILED or DEGRAD adapter
    AllNonOptimized,     // NO-OPTIMIZED
    UnknownTargetPort,   // information (-s): the storage port of some paths is unknown
};

constexpr int kHealthReasonMax = 12;
constexpr int kHealthReasonTextSize = 192;

struct HealthReason {
    HealthReasonKind kind;
    char text[kHealthReasonTextSize];
};

// What each path counts as.
enum class PathKind : uint8_t {
    Active,   // mode normal, state open
    Failed,   // mode normal, state dead (without -tpgs), or a state or mode out of range
    Standby,  // mode normal, state dead, with -tpgs
    Offline,  // mode offline: set so by the administrator, no failure
    Closed,   // mode normal, state closed
};
constexpr int kPathKindCount = 5;

struct DeviceHealth {
    HealthVerdict verdict;
    int32_t active_paths;    // Mode normal, State open
    int32_t failed_paths;    // Mode normal, State dead (without -tpgs), or a state or mode out of range
    int32_t standby_paths;   // Mode normal, State dead, with -tpgs
    int32_t unknown_target_paths;  // with a port table: active or standby paths whose storage port is unknown
    int32_t offline_paths;
    int32_t closed_paths;
    int32_t path_count;            // the record's PathCount, clamped to the table
    PathKind path_kinds[DSM_MAX_PATHS];
    int32_t reason_count;
    HealthReason reasons[kHealthReasonMax];
};

struct HealthOptions {
    bool tpgs;                     // a dead path is a standby path of a target port group
    const HostPortTable* ports;    // -s: the storage ports the HBA tool reported; nullptr without -s
};

// Judges `record` against the first `adapter_count` entries of `adapters` (clamped
// to the table). Fills *out; nothing is kept.
void judge_device(const DSM_DEVICE_RECORD* record, const DSM_ADAPTER_TABLE* adapters, int32_t adapter_count,
                  const HealthOptions& options, DeviceHealth* out);

// True when the adapter's state or mode makes its paths suspect (state not NORMAL,
// or a mode that is neither normal nor offline).
bool adapter_in_trouble(const DSM_ADAPTER_ENTRY* adapter);

// True when the adapter is worth a line of the report: in trouble or set offline.
bool adapter_reported(const DSM_ADAPTER_ENTRY* adapter);

// "active", "failed", "standby", "offline" or "closed"; a static text.
const char* path_kind_name(PathKind kind);

// "OK", "NO-OPTIMIZED", "DEGRADED", "SPOF" or "DOWN"; a static text.
const char* verdict_word(HealthVerdict verdict);

// The machine name of a reason kind ("no_active_path", ...); a static text.
const char* reason_kind_name(HealthReasonKind kind);

// True when the record names adapter `name` (both fields bounded at 48 bytes).
bool same_adapter_name(const char* a, const char* b);
