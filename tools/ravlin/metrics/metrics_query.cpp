// query metrics: the health of every present device, with its paths, adapters
// and I/O counters, as one Prometheus text document, on stdout or (with -o)
// replacing a file in one step for a textfile collector. The reading is health's
// (one record per slot, judged by the same engine) plus one statistics request
// per present device and the volume-name cache read once.
#include <stdio.h>
#include <string.h>

#include <string>

#include "control_device.h"
#include "health_gather.h"
#include "metrics_commands.h"
#include "metrics_facts.h"
#include "output_policy.h"
#include "platform.h"
#include "vdisk_cache.h"

namespace {

struct Collection {
    MetricsFacts* facts;
};

void begin_collection(void* context, const HealthGather* g) {
    MetricsFacts* f = static_cast<Collection*>(context)->facts;
    f->tpgs = g->options.tpgs;
    reserve_metrics(f, g_connection.device_slot_count);
    f->adapter_count = g->adapter_count;
    memcpy(&f->adapters, g->table, sizeof f->adapters);
}

void collect_device(void* context, const HealthGather*, int32_t slot, const DSM_DEVICE_RECORD* record,
                    const DeviceHealth* health) {
    MetricsFacts* f = static_cast<Collection*>(context)->facts;
    DSM_DEVICE_STATS stats;
    memset(&stats, 0, sizeof stats);
    stats.DeviceNumber = uint32_t(slot);
    bool has_stats = dsm_control(IOCTL_DSM_GET_DEVICE_STATS, &stats, sizeof stats) == 0;
    char serial[sizeof record->SerialNumber + 1];
    memcpy(serial, record->SerialNumber, sizeof record->SerialNumber);
    serial[sizeof record->SerialNumber] = '\0';
    char volume[128] = "";
    vdisk_cache_lookup(serial, volume);
    add_metrics_device(f, slot, record, health, has_stats ? &stats : nullptr, volume);
}

void to_stdout(void*, const char* bytes, size_t count) { write_out_exact(bytes, count); }

struct FileSink {
    FILE* file;
};

void to_file(void* context, const char* bytes, size_t count) {
    FileSink* s = static_cast<FileSink*>(context);
    fwrite(bytes, 1, count, s->file);  // a failure shows in the commit (ferror)
}

const char* error_reason(uint32_t error) {
    switch (error) {
    case 2:
    case 3: return "the folder does not exist";
    case 5: return "access denied (the file is read-only, or the folder may not be written)";
    case 32: return "the file stayed in use by another program";
    case 112: return "the disk is full";
    case 206: return "the name is too long";
    default: return "it could not be written";
    }
}

void report_write_failure(const char* path, uint32_t error) {
    flush_output();
    fprintf(stderr, "Cannot write metrics to %s: %s (error %u)\n", path, error_reason(error), unsigned(error));
}

// Writes the document beside `path` and moves it over `path`; false (reported,
// the old file whole) when any step fails.
bool write_metrics_file(const MetricsFacts* f, const char* path) {
    char temp[4200];
    // Not ending in ".prom": the collector reading the folder never takes it for a document.
    int n = snprintf(temp, sizeof temp, "%s.%u.tmp", path, unsigned(platform_process_id()));
    if (n < 0 || size_t(n) >= sizeof temp) {
        report_write_failure(path, 206);
        return false;
    }
    uint32_t error = 0;
    FileSink sink{platform_create_file(temp, &error)};
    if (sink.file == nullptr) {
        report_write_failure(path, error);
        return false;
    }
    write_metrics(f, JsonSink{to_file, &sink});
    error = platform_commit_file(sink.file);
    if (error == 0) error = platform_move_over(temp, path);
    if (error != 0) {
        platform_remove_file(temp);
        report_write_failure(path, error);
        return false;
    }
    return true;
}

}  // namespace

int32_t query_metrics(uint32_t flags, const char* output_path) {
    double started = platform_monotonic_seconds();
    static MetricsFacts facts;
    Collection collection{&facts};
    static HealthGather gather;
    vdisk_cache_begin_pass();
    facts.up = gather_health(flags, &gather, HealthPresenter{begin_collection, collect_device, &collection});
    vdisk_cache_end_pass();
    facts.summary = gather.summary;
    if (!facts.up) {
        // No stale device series: an alert on ravlin_up fires instead.
        facts.devices.clear();
        facts.paths.clear();
    }
    facts.timestamp = platform_unix_time();
    double elapsed = platform_monotonic_seconds() - started;
    facts.duration = elapsed > 0 ? elapsed : 0;

    int32_t status = facts.up ? int32_t(health_status(&facts.summary)) : int32_t(HealthStatus::Unknown);
    if (output_path == nullptr) write_metrics(&facts, JsonSink{to_stdout, nullptr});
    else if (!write_metrics_file(&facts, output_path)) status = int32_t(HealthStatus::Unknown);
    if (!facts.up) {
        flush_output();
        fprintf(stderr, "RAVLIN HEALTH UNKNOWN - %s\n", gather.why);
    }
    return status;
}
