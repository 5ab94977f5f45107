#include "change_outlook.h"

#include <stdio.h>
#include <string.h>

#include "report_text.h"

namespace {

const char* plural(int32_t n) { return n == 1 ? "" : "s"; }

int32_t clamp_adapters(int32_t count) { return count < 0 ? 0 : count > DSM_MAX_ADAPTERS ? DSM_MAX_ADAPTERS : count; }

uint32_t clamp_paths(const DSM_DEVICE_RECORD* r) {
    return r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
}

bool change_touches(const PlannedChange* c, int32_t slot, uint32_t index, const DSM_PATH_ENTRY* p) {
    if (c->target == ChangeTarget::Path) return slot == c->device && c->path >= 0 && index == uint32_t(c->path);
    return c->adapter_known && same_adapter_name(p->AdapterName, c->adapter_name);
}

}  // namespace

PlannedChange adapter_change(const DSM_ADAPTER_TABLE* table, int32_t count, int32_t adapter) {
    PlannedChange c;
    memset(&c, 0, sizeof c);
    c.target = ChangeTarget::Adapter;
    c.adapter = adapter;
    c.adapter_known = adapter >= 0 && adapter < clamp_adapters(count);
    if (c.adapter_known) memcpy(c.adapter_name, table->Adapters[adapter].AdapterName, sizeof c.adapter_name);
    return c;
}

PlannedChange path_change(int32_t device, int32_t path) {
    PlannedChange c;
    memset(&c, 0, sizeof c);
    c.target = ChangeTarget::Path;
    c.device = device;
    c.path = path;
    return c;
}

void describe_change(const PlannedChange* c, char* out, size_t size) {
    if (size == 0) return;
    if (c->target == ChangeTarget::Adapter) snprintf(out, size, "set adapter %d offline", int(c->adapter));
    else snprintf(out, size, "set device %d path %d offline", int(c->device), int(c->path));
}

int32_t record_after_change(const DSM_DEVICE_RECORD* before, int32_t slot, const PlannedChange* c,
                            DSM_DEVICE_RECORD* after) {
    memcpy(after, before, sizeof *after);
    int32_t touched = 0;
    uint32_t count = clamp_paths(before);
    for (uint32_t i = 0; i < count; i++) {
        if (!change_touches(c, slot, i, &before->Paths[i])) continue;
        after->Paths[i].Mode = DSM_MODE_OFFLINE;
        touched++;
    }
    return touched;
}

void table_after_change(const DSM_ADAPTER_TABLE* before, int32_t count, const PlannedChange* c,
                        DSM_ADAPTER_TABLE* after) {
    memset(after, 0, sizeof *after);
    count = clamp_adapters(count);
    after->AdapterCount = before->AdapterCount;
    memcpy(after->Adapters, before->Adapters, sizeof before->Adapters[0] * size_t(count));
    if (c->target == ChangeTarget::Adapter && c->adapter_known) after->Adapters[c->adapter].Mode = DSM_MODE_OFFLINE;
}

bool outlook_worse(const DeviceOutlook* o) { return int(o->after.verdict) > int(o->before.verdict); }

bool outlook_loses_access(const DeviceOutlook* o) {
    return o->after.verdict == HealthVerdict::Down && o->before.verdict != HealthVerdict::Down;
}

void foresee_device(const DSM_DEVICE_RECORD* record, int32_t slot, const DSM_ADAPTER_TABLE* table_now,
                    const DSM_ADAPTER_TABLE* table_after, int32_t adapter_count, const PlannedChange* change,
                    const HealthOptions& options, DeviceOutlook* out) {
    static DSM_DEVICE_RECORD after;
    judge_device(record, table_now, adapter_count, options, &out->before);
    out->paths_taken = record_after_change(record, slot, change, &after);
    if (out->paths_taken == 0) {
        out->after = out->before;
        return;
    }
    judge_device(&after, table_after, adapter_count, options, &out->after);
}

void add_outlook(WhatIfSummary* s, const DeviceOutlook* o) {
    s->devices++;
    if (o->paths_taken == 0) return;
    s->affected++;
    if (outlook_worse(o)) s->worse++;
    if (outlook_loses_access(o)) s->lose_access++;
    switch (o->after.verdict) {
    case HealthVerdict::Down: s->down++; break;
    case HealthVerdict::Spof: s->spof++; break;
    case HealthVerdict::Degraded: s->degraded++; break;
    case HealthVerdict::NoOptimized: s->no_optimized++; break;
    case HealthVerdict::Ok: break;
    }
}

HealthStatus whatif_status(const WhatIfSummary* s) {
    if (s->lose_access > 0) return HealthStatus::Critical;
    if (s->worse > 0) return HealthStatus::Warning;
    return HealthStatus::Ok;
}

void format_whatif_summary(const WhatIfSummary* s, const char* change_text, char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    append_text(out, size,
                "RAVLIN WHATIF %s - %s: %d of %d device%s affected, %d down, %d spof | affected=%d down=%d spof=%d "
                "degraded=%d no_optimized=%d unaffected=%d",
                status_word(whatif_status(s)), change_text, int(s->affected), int(s->devices), plural(s->devices),
                int(s->down), int(s->spof), int(s->affected), int(s->down), int(s->spof), int(s->degraded),
                int(s->no_optimized), int(s->devices - s->affected));
}

void format_outlook_line(int32_t number, const char* display_name, const char* serial, const DeviceOutlook* o,
                         char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    const DeviceHealth* after = &o->after;
    append_text(out, size, "DEV# %d %s (serial %s): %s now, %s after", int(number), display_name, serial,
                verdict_word(o->before.verdict), verdict_word(after->verdict));
    for (int32_t i = 0; i < after->reason_count && i < kHealthReasonMax; i++)
        append_text(out, size, "%s%s", i == 0 ? ": " : "; ", after->reasons[i].text);
    // An OK device has no reason to give; what it keeps is worth saying.
    if (after->reason_count == 0) {
        if (after->standby_paths == 0)
            append_text(out, size, ": %d active path%s left", int(after->active_paths), plural(after->active_paths));
        else
            append_text(out, size, ": %d active and %d standby paths left", int(after->active_paths),
                        int(after->standby_paths));
    }
    if (outlook_loses_access(o))
        append_text(out, size, "; the driver refuses a change that takes away the last access of a LUN");
}
