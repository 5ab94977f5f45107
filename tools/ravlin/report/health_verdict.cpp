#include "health_verdict.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "dsm_texts.h"
#include "report_text.h"

namespace {

constexpr size_t kNameSize = sizeof(DSM_PATH_ENTRY{}.AdapterName);

void copy_name(char (&out)[kNameSize + 1], const char (&field)[kNameSize]) {
    report_text(field, kNameSize, out, sizeof out);
}

// Appends one reason (formatted, cut to its buffer) unless the list is full.
__attribute__((format(printf, 3, 4))) void add_reason(DeviceHealth* h, HealthReasonKind kind, const char* format,
                                                      ...) {
    if (h->reason_count >= kHealthReasonMax) return;
    HealthReason* r = &h->reasons[h->reason_count++];
    r->kind = kind;
    va_list args;
    va_start(args, format);
    vsnprintf(r->text, sizeof r->text, format, args);
    va_end(args);
}

const char* plural(int32_t n) { return n == 1 ? "" : "s"; }

// "3 active paths" or, when standby paths count too, "2 active and 1 standby paths".
void describe_paths(int32_t active, int32_t standby, char* out, size_t size) {
    if (standby == 0) snprintf(out, size, "%d active path%s", int(active), plural(active));
    else snprintf(out, size, "%d active and %d standby path%s", int(active), int(standby), plural(active + standby));
}

// The storage port of a path: the WWPN for the path's port id, or nullptr when the
// table does not know it.
const char* target_port(const HostPortTable* ports, const DSM_PATH_ENTRY* p) {
    int32_t count = ports->count < 0 ? 0 : ports->count > kHostPortMax ? kHostPortMax : ports->count;
    for (int32_t i = 0; i < count; i++)
        if (ports->port_ids[i] == p->ScsiAddress[2]) return ports->wwpns[i];
    return nullptr;
}

bool same_text(const char* a, const char* b) { return strncmp(a, b, kHostPortTextSize) == 0; }

enum class PathRole { None, Active, Standby, Failed };

PathKind path_kind(const DSM_PATH_ENTRY* p, bool tpgs) {
    if (p->Mode == DSM_MODE_OFFLINE) return PathKind::Offline;
    if (p->Mode != DSM_MODE_NORMAL) return PathKind::Failed;  // a mode the driver should never send
    switch (p->State) {
    case DSM_PATH_OPEN: return PathKind::Active;
    case DSM_PATH_CLOSE: return PathKind::Closed;
    case DSM_PATH_DEAD: return tpgs ? PathKind::Standby : PathKind::Failed;
    default: return PathKind::Failed;  // a state the driver should never send
    }
}

// Offline and closed paths are neither redundancy nor a failure.
PathRole path_role(PathKind kind) {
    switch (kind) {
    case PathKind::Active: return PathRole::Active;
    case PathKind::Standby: return PathRole::Standby;
    case PathKind::Failed: return PathRole::Failed;
    case PathKind::Offline:
    case PathKind::Closed: break;
    }
    return PathRole::None;
}

HealthVerdict worse(HealthVerdict a, HealthVerdict b) { return int(a) >= int(b) ? a : b; }

// The adapters of the first `count` table entries that are in trouble, as indexes.
int32_t troubled_adapters(const DSM_ADAPTER_TABLE* adapters, int32_t count, int32_t* out) {
    int32_t n = 0;
    for (int32_t i = 0; i < count; i++)
        if (adapter_in_trouble(&adapters->Adapters[i])) out[n++] = i;
    return n;
}

}  // namespace

bool same_adapter_name(const char* a, const char* b) { return strncmp(a, b, kNameSize) == 0; }

bool adapter_in_trouble(const DSM_ADAPTER_ENTRY* a) {
    return a->State != DSM_ADAPTER_NORMAL || (a->Mode != DSM_MODE_NORMAL && a->Mode != DSM_MODE_OFFLINE);
}

bool adapter_reported(const DSM_ADAPTER_ENTRY* a) { return adapter_in_trouble(a) || a->Mode == DSM_MODE_OFFLINE; }

const char* path_kind_name(PathKind kind) {
    switch (kind) {
    case PathKind::Active: return "active";
    case PathKind::Failed: return "failed";
    case PathKind::Standby: return "standby";
    case PathKind::Offline: return "offline";
    case PathKind::Closed: break;
    }
    return "closed";
}

const char* verdict_word(HealthVerdict verdict) {
    switch (verdict) {
    case HealthVerdict::Ok: return "OK";
    case HealthVerdict::NoOptimized: return "NO-OPTIMIZED";
    case HealthVerdict::Degraded: return "DEGRADED";
    case HealthVerdict::Spof: return "SPOF";
    case HealthVerdict::Down: break;
    }
    return "DOWN";
}

const char* reason_kind_name(HealthReasonKind kind) {
    switch (kind) {
    case HealthReasonKind::NoActivePath: return "no_active_path";
    case HealthReasonKind::SinglePath: return "single_path";
    case HealthReasonKind::SingleAdapter: return "single_adapter";
    case HealthReasonKind::SingleTargetPort: return "single_target_port";
    case HealthReasonKind::FailedPaths: return "failed_paths";
    case HealthReasonKind::AdapterNotNormal: return "adapter_not_normal";
    case HealthReasonKind::AllNonOptimized: return "all_non_optimized";
    case HealthReasonKind::UnknownTargetPort: break;
    }
    return "unknown_target_port";
}

void judge_device(const DSM_DEVICE_RECORD* r, const DSM_ADAPTER_TABLE* adapters, int32_t adapter_count,
                  const HealthOptions& options, DeviceHealth* h) {
    memset(h, 0, sizeof *h);
    uint32_t path_count = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    h->path_count = int32_t(path_count);
    if (adapter_count < 0) adapter_count = 0;
    if (adapter_count > DSM_MAX_ADAPTERS) adapter_count = DSM_MAX_ADAPTERS;

    // One walk over the paths: the counts, and whether the redundant ones (active,
    // and standby with -tpgs) share one adapter and one storage port.
    PathRole roles[DSM_MAX_PATHS];
    int32_t first_redundant = -1;
    bool one_adapter = true;
    bool one_target = true;
    const char* first_target = nullptr;
    int32_t non_optimized = 0;
    char failed_list[DSM_MAX_PATHS * 4 + 1] = "";
    size_t failed_used = 0;
    for (uint32_t i = 0; i < path_count; i++) {
        const DSM_PATH_ENTRY* p = &r->Paths[i];
        h->path_kinds[i] = path_kind(p, options.tpgs);
        roles[i] = path_role(h->path_kinds[i]);
        if (h->path_kinds[i] == PathKind::Offline) h->offline_paths++;
        if (h->path_kinds[i] == PathKind::Closed) h->closed_paths++;
        if (roles[i] == PathRole::Failed) {
            h->failed_paths++;
            int n = snprintf(failed_list + failed_used, sizeof failed_list - failed_used, "%s#%u",
                             failed_used == 0 ? "" : " ", unsigned(i));
            if (n > 0) failed_used += size_t(n);
            continue;
        }
        if (roles[i] == PathRole::None) continue;
        if (roles[i] == PathRole::Active) {
            h->active_paths++;
            if (p->NonOptimized != 0) non_optimized++;
        } else {
            h->standby_paths++;
        }
        if (first_redundant < 0) first_redundant = int32_t(i);
        else if (!same_adapter_name(p->AdapterName, r->Paths[first_redundant].AdapterName)) one_adapter = false;
        if (options.ports != nullptr) {
            const char* target = target_port(options.ports, p);
            if (target == nullptr) h->unknown_target_paths++;
            else if (first_target == nullptr) first_target = target;
            else if (!same_text(target, first_target)) one_target = false;
        }
    }

    HealthVerdict v = HealthVerdict::Ok;
    int32_t redundant = h->active_paths + h->standby_paths;
    char paths[64];
    describe_paths(h->active_paths, h->standby_paths, paths, sizeof paths);
    if (h->active_paths == 0) {
        v = HealthVerdict::Down;
        if (h->standby_paths > 0) add_reason(h, HealthReasonKind::NoActivePath, "no active path (%s)", paths);
        else add_reason(h, HealthReasonKind::NoActivePath, "no active path");
    } else {
        char adapter[kNameSize + 1];
        copy_name(adapter, r->Paths[first_redundant].AdapterName);
        if (redundant == 1) {
            v = HealthVerdict::Spof;
            add_reason(h, HealthReasonKind::SinglePath, "%s, through %s", paths, adapter);
        } else {
            if (one_adapter) {
                v = HealthVerdict::Spof;
                add_reason(h, HealthReasonKind::SingleAdapter, "%s, all through %s", paths, adapter);
            }
            // Only a port table that knows every such path can tell they share one port.
            if (options.ports != nullptr && h->unknown_target_paths == 0 && one_target) {
                v = HealthVerdict::Spof;
                char wwpn[kHostPortTextSize];
                report_text(first_target, kHostPortTextSize, wwpn, sizeof wwpn);
                add_reason(h, HealthReasonKind::SingleTargetPort, "%s, all to target port %s", paths, wwpn);
            }
        }
    }
    if (h->failed_paths > 0) {
        v = worse(v, HealthVerdict::Degraded);
        add_reason(h, HealthReasonKind::FailedPaths, "%d failed path%s (%s)", int(h->failed_paths),
                   plural(h->failed_paths), failed_list);
    }

    int32_t troubled[DSM_MAX_ADAPTERS];
    int32_t troubled_count = troubled_adapters(adapters, adapter_count, troubled);
    for (int32_t t = 0; t < troubled_count; t++) {
        const DSM_ADAPTER_ENTRY* a = &adapters->Adapters[troubled[t]];
        int32_t through = 0;
        for (uint32_t i = 0; i < path_count; i++)
            if (roles[i] != PathRole::None && same_adapter_name(r->Paths[i].AdapterName, a->AdapterName)) through++;
        if (through == 0) continue;
        v = worse(v, HealthVerdict::Degraded);
        char name[kNameSize + 1];
        copy_name(name, a->AdapterName);
        const char* state = a->State != DSM_ADAPTER_NORMAL ? adapter_state_text(a->State).text
                                                            : adapter_mode_text(a->Mode).text;
        add_reason(h, HealthReasonKind::AdapterNotNormal, "%d path%s through %s, which is %s", int(through),
                   plural(through), name, state);
    }

    if (h->active_paths > 0 && non_optimized == h->active_paths) {
        v = worse(v, HealthVerdict::NoOptimized);
        if (h->active_paths == 1) add_reason(h, HealthReasonKind::AllNonOptimized, "the active path is non-optimized");
        else add_reason(h, HealthReasonKind::AllNonOptimized, "all %d active paths are non-optimized", int(h->active_paths));
    }
    if (h->unknown_target_paths > 0)
        add_reason(h, HealthReasonKind::UnknownTargetPort, "target port unknown for %d path%s",
                   int(h->unknown_target_paths), plural(h->unknown_target_paths));
    h->verdict = v;
}
