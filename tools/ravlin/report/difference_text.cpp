// The text of one difference, as `query diff` prints it.
#include <inttypes.h>
#include <stdio.h>
#include <string.h>

#include "dsm_texts.h"
#include "health_verdict.h"
#include "report_text.h"
#include "topology_diff.h"

namespace {

// An enumeration's display text without the blanks the tables pad it with.
void trimmed(const char* text, char* out, size_t size) {
    while (*text == ' ') text++;
    snprintf(out, size, "%s", text);
    size_t n = strlen(out);
    while (n > 0 && out[n - 1] == ' ') out[--n] = '\0';
}

const char* policy_name(uint32_t policy, char* out, size_t size) {
    const char* text = policy_text(policy);
    const char* colon = strchr(text, ':');
    trimmed(colon != nullptr ? colon + 1 : text, out, size);
    return out;
}

const char* state_name(uint32_t state, char* out, size_t size) {
    trimmed(path_state_text(state, 0, false).text, out, size);
    return out;
}

const char* yes_no(bool v) { return v ? "yes" : "no"; }

void path_label(const TopoPath& p, char* out, size_t size) {
    char adapter[kTopoNameSize];
    report_text(p.adapter, kTopoNameSize, adapter, sizeof adapter);
    snprintf(out, size, "path %s %02X-%02X-%02X-%02X", adapter, p.address[0], p.address[1], p.address[2],
             p.address[3]);
}

void wwpn_text(const TopoPath& p, char* out, size_t size) {
    if (p.wwpn_known) report_text(p.wwpn, kTopoWwpnSize, out, size);
    else snprintf(out, size, "unknown");
}

void capacity_text(const TopoDevice& d, char* out, size_t size) {
    if (d.has_capacity) snprintf(out, size, "%" PRIu64 " bytes", d.capacity);
    else snprintf(out, size, "unknown");
}

void volume_text(const TopoDevice& d, char* out, size_t size) {
    if (d.has_volume) report_text(d.volume, kTopoVolumeSize, out, size);
    else snprintf(out, size, "none");
}

void preferred_text(const TopoDevice& d, char* out, size_t size) {
    if (d.has_preferred) snprintf(out, size, "%u", unsigned(d.preferred));
    else snprintf(out, size, "none");
}

}  // namespace

const char* diff_kind_name(DiffKind kind) {
    switch (kind) {
    case DiffKind::DeviceGone: return "device_gone";
    case DiffKind::DeviceNew: return "device_new";
    case DiffKind::PathGone: return "path_gone";
    case DiffKind::PathNew: return "path_new";
    case DiffKind::PathState: return "path_state";
    case DiffKind::PathMode: return "path_mode";
    case DiffKind::PathNonOptimized: return "path_non_optimized";
    case DiffKind::PathTargetPort: return "path_target_port";
    case DiffKind::Policy: return "policy";
    case DiffKind::PreferredPath: return "preferred_path";
    case DiffKind::Reserved: return "reserved";
    case DiffKind::Capacity: return "capacity";
    case DiffKind::VolumeName: return "volume_name";
    case DiffKind::AdapterGone: return "adapter_gone";
    case DiffKind::AdapterNew: return "adapter_new";
    case DiffKind::AdapterState: return "adapter_state";
    case DiffKind::AdapterMode: break;
    }
    return "adapter_mode";
}

bool diff_is_adapter(DiffKind kind) {
    return kind == DiffKind::AdapterGone || kind == DiffKind::AdapterNew || kind == DiffKind::AdapterState ||
           kind == DiffKind::AdapterMode;
}

bool difference_values(const Topology& saved, const Topology& live, const Difference& d, char* before, char* after,
                       size_t size) {
    const TopoDevice* a = d.saved_device >= 0 ? &saved.devices[size_t(d.saved_device)] : nullptr;
    const TopoDevice* b = d.live_device >= 0 ? &live.devices[size_t(d.live_device)] : nullptr;
    const TopoPath* sp = d.saved_path >= 0 ? &saved.paths[size_t(d.saved_path)] : nullptr;
    const TopoPath* lp = d.live_path >= 0 ? &live.paths[size_t(d.live_path)] : nullptr;
    switch (d.kind) {
    case DiffKind::AdapterState:
        trimmed(adapter_state_text(saved.adapters[size_t(d.saved_adapter)].state).text, before, size);
        trimmed(adapter_state_text(live.adapters[size_t(d.live_adapter)].state).text, after, size);
        return true;
    case DiffKind::AdapterMode:
        trimmed(adapter_mode_text(saved.adapters[size_t(d.saved_adapter)].mode).text, before, size);
        trimmed(adapter_mode_text(live.adapters[size_t(d.live_adapter)].mode).text, after, size);
        return true;
    case DiffKind::PathState:
        state_name(sp->state, before, size);
        state_name(lp->state, after, size);
        return true;
    case DiffKind::PathMode:
        snprintf(before, size, "%s", path_mode_text(sp->mode).text);
        snprintf(after, size, "%s", path_mode_text(lp->mode).text);
        return true;
    case DiffKind::PathNonOptimized:
        snprintf(before, size, "%s", yes_no(sp->non_optimized));
        snprintf(after, size, "%s", yes_no(lp->non_optimized));
        return true;
    case DiffKind::PathTargetPort:
        wwpn_text(*sp, before, size);
        wwpn_text(*lp, after, size);
        return true;
    case DiffKind::Policy:
        policy_name(a->policy, before, size);
        policy_name(b->policy, after, size);
        return true;
    case DiffKind::PreferredPath:
        preferred_text(*a, before, size);
        preferred_text(*b, after, size);
        return true;
    case DiffKind::Reserved:
        snprintf(before, size, "%s", yes_no(a->reserved));
        snprintf(after, size, "%s", yes_no(b->reserved));
        return true;
    case DiffKind::Capacity:
        capacity_text(*a, before, size);
        capacity_text(*b, after, size);
        return true;
    case DiffKind::VolumeName:
        volume_text(*a, before, size);
        volume_text(*b, after, size);
        return true;
    default:
        return false;
    }
}

void format_difference(const Topology& saved, const Topology& live, const Difference& d, char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    if (diff_is_adapter(d.kind)) {
        char adapter[kTopoNameSize];
        report_text(d.adapter, kTopoNameSize, adapter, sizeof adapter);
        append_text(out, size, "ADAPTER %s: ", adapter);
        char x[32], y[32];
        if (d.kind == DiffKind::AdapterGone) append_text(out, size, "gone");
        else if (d.kind == DiffKind::AdapterNew) append_text(out, size, "new");
        else if (difference_values(saved, live, d, x, y, sizeof x))
            append_text(out, size, "%s %s -> %s", d.kind == DiffKind::AdapterState ? "state" : "mode", x, y);
        return;
    }
    const TopoDevice* a = d.saved_device >= 0 ? &saved.devices[size_t(d.saved_device)] : nullptr;
    const TopoDevice* b = d.live_device >= 0 ? &live.devices[size_t(d.live_device)] : nullptr;
    const TopoDevice* named = b != nullptr ? b : a;
    char serial[kTopoTextSize];
    report_text(named->serial, kTopoTextSize, serial, sizeof serial);
    if (a != nullptr && b != nullptr && a->number != b->number)
        append_text(out, size, "DEV# %d (serial %s, was DEV# %d): ", int(b->number), serial, int(a->number));
    else
        append_text(out, size, "DEV# %d (serial %s): ", int(named->number), serial);

    const TopoPath* sp = d.saved_path >= 0 ? &saved.paths[size_t(d.saved_path)] : nullptr;
    const TopoPath* lp = d.live_path >= 0 ? &live.paths[size_t(d.live_path)] : nullptr;
    char label[96] = "";
    if (sp != nullptr || lp != nullptr) path_label(sp != nullptr ? *sp : *lp, label, sizeof label);
    char x[kTopoVolumeSize + 16], y[kTopoVolumeSize + 16];
    bool values = difference_values(saved, live, d, x, y, sizeof x);
    switch (d.kind) {
    case DiffKind::DeviceGone: append_text(out, size, "device gone"); return;
    case DiffKind::DeviceNew: append_text(out, size, "new device"); return;
    case DiffKind::PathGone: append_text(out, size, "%s gone", label); return;
    case DiffKind::PathNew: append_text(out, size, "%s new", label); return;
    default: break;
    }
    static const struct {
        DiffKind kind;
        const char* what;
    } kWhat[] = {{DiffKind::PathState, "state"},         {DiffKind::PathMode, "mode"},
                 {DiffKind::PathNonOptimized, "non-optimized"}, {DiffKind::PathTargetPort, "target port"},
                 {DiffKind::Policy, "policy"},           {DiffKind::PreferredPath, "preferred path"},
                 {DiffKind::Reserved, "reserved"},       {DiffKind::Capacity, "capacity"},
                 {DiffKind::VolumeName, "volume name"}};
    const char* what = "";
    for (const auto& w : kWhat)
        if (w.kind == d.kind) what = w.what;
    if (label[0] != '\0') append_text(out, size, "%s ", label);
    if (values) append_text(out, size, "%s %s -> %s", what, x, y);
}
