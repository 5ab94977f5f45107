// What one collection found, kept compactly until it is written: the exposition
// format wants each metric's samples together, so every device's facts are held
// (a few dozen bytes a device and a path, labels escaped once) instead of the
// records themselves.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "dsm_interface.h"
#include "health_summary.h"
#include "health_verdict.h"
#include "json_writer.h"

struct MetricsDevice {
    uint32_t labels_at;       // in the arena: device="n",serial="s" ...
    uint32_t serial_length;   // ... its length up to here (the path labels start with it)
    uint32_t labels_length;   // ... and with ,name="Disk1 Part1"
    uint32_t info_at;         // product="..",policy="..",volume="..",interface=".."
    uint32_t info_length;
    uint32_t first_path;      // index into MetricsFacts::paths
    uint8_t path_count;
    uint8_t verdict;          // HealthVerdict
    bool has_stats;           // the statistics request answered
    int32_t kinds[kPathKindCount];
    uint32_t reads, writes, read_sectors, written_sectors;
};

struct MetricsPath {
    uint32_t labels_at;       // path="n",adapter="name" (after the device's serial)
    uint32_t labels_length;
    uint8_t kind;             // PathKind
    uint32_t state, mode, non_optimized;
    uint32_t selects, errors;
};

struct MetricsFacts {
    bool up;                  // health could be judged
    bool tpgs;
    double timestamp;         // seconds since 1970 UTC
    double duration;          // seconds the collection took
    HealthSummary summary;
    int32_t kind_totals[kPathKindCount];
    DSM_ADAPTER_TABLE adapters;
    int32_t adapter_count;
    std::vector<MetricsDevice> devices;
    std::vector<MetricsPath> paths;
    std::string arena;        // escaped label texts
};

// Makes room for a SAN of `slots` device slots up front.
void reserve_metrics(MetricsFacts* f, int32_t slots);

// Keeps one judged device (its statistics record, or nullptr when the request
// failed, and its volume name from the cache, "" when none).
void add_metrics_device(MetricsFacts* f, int32_t slot, const DSM_DEVICE_RECORD* record, const DeviceHealth* health,
                        const DSM_DEVICE_STATS* stats, const char* volume_name);

// Writes the whole exposition document to `sink`. With f->up false only the
// collection's own three metrics, ravlin_up 0 among them: no device series.
void write_metrics(const MetricsFacts* f, JsonSink sink);

// Bytes a driver sector counter stands for.
constexpr uint64_t kSectorBytes = 512;
