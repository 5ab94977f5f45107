#include "health_summary.h"

#include <stdio.h>
#include <string.h>

#include "report_text.h"

namespace {

const char* plural(int32_t n) { return n == 1 ? "" : "s"; }

}  // namespace

void add_device_health(HealthSummary* s, const DeviceHealth* h) {
    s->devices++;
    s->active_paths += h->active_paths;
    s->failed_paths += h->failed_paths;
    s->standby_paths += h->standby_paths;
    s->unknown_target_paths += h->unknown_target_paths;
    switch (h->verdict) {
    case HealthVerdict::Down: s->down++; break;
    case HealthVerdict::Spof: s->spof++; break;
    case HealthVerdict::Degraded: s->degraded++; break;
    case HealthVerdict::NoOptimized: s->no_optimized++; break;
    case HealthVerdict::Ok: break;
    }
}

HealthStatus health_status(const HealthSummary* s) {
    if (s->down > 0) return HealthStatus::Critical;
    if (s->spof > 0 || s->degraded > 0 || s->no_optimized > 0 || s->failed_paths > 0 || s->adapters_in_trouble > 0)
        return HealthStatus::Warning;
    return HealthStatus::Ok;
}

// The word of each status, by its value (the exit status of query health).
const char* status_word(HealthStatus status) {
    static const char* const kWords[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
    static_assert(sizeof kWords / sizeof kWords[0] == size_t(HealthStatus::Unknown) + 1);
    return kWords[size_t(status)];
}

void format_health_summary(const HealthSummary* s, char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    append_text(out, size, "RAVLIN HEALTH %s - %d device%s, %d active path%s", status_word(health_status(s)),
           int(s->devices), plural(s->devices), int(s->active_paths), plural(s->active_paths));
    if (s->down > 0) append_text(out, size, ", %d down", int(s->down));
    if (s->spof > 0) append_text(out, size, ", %d spof", int(s->spof));
    if (s->degraded > 0) append_text(out, size, ", %d degraded", int(s->degraded));
    if (s->no_optimized > 0) append_text(out, size, ", %d no-optimized", int(s->no_optimized));
    if (s->failed_paths > 0) append_text(out, size, ", %d failed path%s", int(s->failed_paths), plural(s->failed_paths));
    if (s->adapters_reported > 0)
        append_text(out, size, ", %d adapter%s not normal", int(s->adapters_reported), plural(s->adapters_reported));
    if (s->with_ports && s->unknown_target_paths > 0)
        append_text(out, size, ", %d path%s to an unknown target port", int(s->unknown_target_paths),
               plural(s->unknown_target_paths));
    append_text(out, size,
           " | devices=%d down=%d spof=%d degraded=%d no_optimized=%d active_paths=%d failed_paths=%d "
           "standby_paths=%d",
           int(s->devices), int(s->down), int(s->spof), int(s->degraded), int(s->no_optimized), int(s->active_paths),
           int(s->failed_paths), int(s->standby_paths));
}

void format_device_line(int32_t number, const char* display_name, const char* serial, const DeviceHealth* h,
                        char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    append_text(out, size, "%s: DEV# %d %s (serial %s)", verdict_word(h->verdict), int(number), display_name, serial);
    for (int32_t i = 0; i < h->reason_count && i < kHealthReasonMax; i++)
        append_text(out, size, "%s%s", i == 0 ? ": " : "; ", h->reasons[i].text);
}
