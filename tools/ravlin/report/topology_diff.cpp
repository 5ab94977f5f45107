#include "topology_diff.h"

#include <string.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

Difference make(DiffKind kind, int32_t saved_device, int32_t live_device, int32_t saved_path = -1,
                int32_t live_path = -1) {
    Difference d;
    memset(&d, 0, sizeof d);
    d.kind = kind;
    d.saved_device = saved_device;
    d.live_device = live_device;
    d.saved_path = saved_path;
    d.live_path = live_path;
    d.saved_adapter = -1;
    d.live_adapter = -1;
    return d;
}

bool same_path(const TopoPath& a, const TopoPath& b) {
    return strncmp(a.adapter, b.adapter, kTopoNameSize) == 0 && memcmp(a.address, b.address, sizeof a.address) == 0;
}

// A closed path that the saved listing would not have shown (saved without -a);
// only an unmatched live path is asked.
bool hidden(const TopoDevice& saved, const TopoPath& p) { return !saved.all_paths && p.state == DSM_PATH_CLOSE; }

void compare_paths(const Topology& saved, const Topology& live, int32_t s, int32_t l, std::vector<bool>* live_seen,
                   std::vector<Difference>* out) {
    const TopoDevice& sd = saved.devices[size_t(s)];
    const TopoDevice& ld = live.devices[size_t(l)];
    bool matched[DSM_MAX_PATHS] = {};
    int32_t live_count = ld.path_count < DSM_MAX_PATHS ? ld.path_count : DSM_MAX_PATHS;
    for (int32_t i = 0; i < sd.path_count; i++) {
        int32_t si = sd.first_path + i;
        const TopoPath& sp = saved.paths[size_t(si)];
        int32_t found = -1;
        for (int32_t j = 0; j < live_count && found < 0; j++)
            if (!matched[j] && same_path(sp, live.paths[size_t(ld.first_path + j)])) found = j;
        if (found < 0) {
            out->push_back(make(DiffKind::PathGone, s, l, si, -1));
            continue;
        }
        matched[found] = true;
        int32_t li = ld.first_path + found;
        (*live_seen)[size_t(li)] = true;
        const TopoPath& lp = live.paths[size_t(li)];
        if (sp.state != lp.state) out->push_back(make(DiffKind::PathState, s, l, si, li));
        if (sp.mode != lp.mode) out->push_back(make(DiffKind::PathMode, s, l, si, li));
        if (sp.non_optimized != lp.non_optimized) out->push_back(make(DiffKind::PathNonOptimized, s, l, si, li));
        if (sp.has_wwpn && lp.has_wwpn &&
            (sp.wwpn_known != lp.wwpn_known || (sp.wwpn_known && strncmp(sp.wwpn, lp.wwpn, kTopoWwpnSize) != 0)))
            out->push_back(make(DiffKind::PathTargetPort, s, l, si, li));
    }
    for (int32_t j = 0; j < live_count; j++) {
        int32_t li = ld.first_path + j;
        if (!matched[j] && !hidden(sd, live.paths[size_t(li)])) out->push_back(make(DiffKind::PathNew, s, l, -1, li));
    }
}

// Whether a saved capacity and a live one are the same size. The saved one came
// through the JSON reader's double, which holds every byte count below 2^53 exactly
// and larger ones to the nearest double, so they are compared as doubles: an
// unchanged LUN of an odd count beyond 2^53 bytes is not reported as changed.
bool same_capacity(uint64_t saved, uint64_t live) { return double(saved) == double(live); }

void compare_device(const Topology& saved, const Topology& live, int32_t s, int32_t l, std::vector<bool>* live_seen,
                    std::vector<Difference>* out) {
    const TopoDevice& a = saved.devices[size_t(s)];
    const TopoDevice& b = live.devices[size_t(l)];
    if (a.policy != b.policy) out->push_back(make(DiffKind::Policy, s, l));
    if (a.has_preferred != b.has_preferred || (a.has_preferred && a.preferred != b.preferred))
        out->push_back(make(DiffKind::PreferredPath, s, l));
    if (a.reserved != b.reserved) out->push_back(make(DiffKind::Reserved, s, l));
    if (a.capacity_read && b.capacity_read &&
        (a.has_capacity != b.has_capacity || (a.has_capacity && !same_capacity(a.capacity, b.capacity))))
        out->push_back(make(DiffKind::Capacity, s, l));
    if (a.volume_read && b.volume_read &&
        (a.has_volume != b.has_volume || (a.has_volume && strncmp(a.volume, b.volume, kTopoVolumeSize) != 0)))
        out->push_back(make(DiffKind::VolumeName, s, l));
    compare_paths(saved, live, s, l, live_seen, out);
}

std::string adapter_key(const TopoPath& p) { return std::string(p.adapter, strnlen(p.adapter, kTopoNameSize)); }

void compare_adapters(const Topology& saved, const Topology& live, const std::vector<int32_t>& live_owner,
                      const std::vector<bool>& live_seen, std::vector<Difference>* out) {
    // A live closed path counts only where the saved listing showed closed paths.
    bool saved_all_paths = true;
    for (const TopoDevice& d : saved.devices) saved_all_paths = saved_all_paths && d.all_paths;
    std::unordered_set<std::string> before, now;
    std::vector<const TopoPath*> before_order, now_order;
    for (const TopoPath& p : saved.paths)
        if (before.insert(adapter_key(p)).second) before_order.push_back(&p);
    for (size_t i = 0; i < live.paths.size(); i++) {
        const TopoPath& p = live.paths[i];
        int32_t owner = live_owner[i];
        bool shows_closed = owner >= 0 ? saved.devices[size_t(owner)].all_paths : saved_all_paths;
        if (p.state == DSM_PATH_CLOSE && !shows_closed && !live_seen[i]) continue;
        if (now.insert(adapter_key(p)).second) now_order.push_back(&p);
    }
    for (const TopoPath* p : before_order)
        if (now.count(adapter_key(*p)) == 0) {
            Difference d = make(DiffKind::AdapterGone, -1, -1);
            memcpy(d.adapter, p->adapter, sizeof d.adapter);
            out->push_back(d);
        }
    for (const TopoPath* p : now_order)
        if (before.count(adapter_key(*p)) == 0) {
            Difference d = make(DiffKind::AdapterNew, -1, -1);
            memcpy(d.adapter, p->adapter, sizeof d.adapter);
            out->push_back(d);
        }
}

std::string name_key(const char* name) { return std::string(name, strnlen(name, kTopoNameSize)); }

Difference adapter_difference(DiffKind kind, const TopoAdapter& named, int32_t saved_adapter, int32_t live_adapter) {
    Difference d = make(kind, -1, -1);
    memcpy(d.adapter, named.name, sizeof d.adapter);
    d.saved_adapter = saved_adapter;
    d.live_adapter = live_adapter;
    return d;
}

// Both adapter tables, matched by name. A name the table repeats matches in order:
// the second saved one with the second live one.
void compare_adapter_tables(const Topology& saved, const Topology& live, std::vector<Difference>* out) {
    std::unordered_map<std::string, std::vector<int32_t>> by_name;
    by_name.reserve(live.adapters.size());
    for (size_t i = 0; i < live.adapters.size(); i++) by_name[name_key(live.adapters[i].name)].push_back(int32_t(i));
    std::unordered_map<std::string, size_t> taken;  // per name, how many live entries are matched
    std::vector<bool> live_matched(live.adapters.size(), false);
    for (size_t s = 0; s < saved.adapters.size(); s++) {
        const TopoAdapter& a = saved.adapters[s];
        std::string key = name_key(a.name);
        auto it = by_name.find(key);
        size_t& next = taken[key];
        if (it == by_name.end() || next >= it->second.size()) {
            out->push_back(adapter_difference(DiffKind::AdapterGone, a, int32_t(s), -1));
            continue;
        }
        int32_t l = it->second[next++];
        live_matched[size_t(l)] = true;
        const TopoAdapter& b = live.adapters[size_t(l)];
        if (a.state != b.state) out->push_back(adapter_difference(DiffKind::AdapterState, a, int32_t(s), l));
        if (a.mode != b.mode) out->push_back(adapter_difference(DiffKind::AdapterMode, a, int32_t(s), l));
    }
    for (size_t l = 0; l < live.adapters.size(); l++)
        if (!live_matched[l]) out->push_back(adapter_difference(DiffKind::AdapterNew, live.adapters[l], -1, int32_t(l)));
}

}  // namespace

void compare_topologies(const Topology& saved, const Topology& live, std::vector<Difference>* out) {
    std::unordered_map<std::string, int32_t> by_serial;
    by_serial.reserve(live.devices.size());
    for (size_t i = 0; i < live.devices.size(); i++)
        by_serial.emplace(std::string(live.devices[i].serial), int32_t(i));  // the first of a repeated serial

    std::vector<bool> live_matched(live.devices.size(), false);
    // For each live path, the saved device its device matched (-1: none).
    std::vector<int32_t> live_owner(live.paths.size(), -1);
    std::vector<bool> live_seen(live.paths.size(), false);  // matched to a saved path
    for (size_t s = 0; s < saved.devices.size(); s++) {
        auto it = by_serial.find(std::string(saved.devices[s].serial));
        if (it == by_serial.end()) {
            out->push_back(make(DiffKind::DeviceGone, int32_t(s), -1));
            continue;
        }
        int32_t l = it->second;
        by_serial.erase(it);  // a saved serial is unique; this keeps a second look from matching again
        live_matched[size_t(l)] = true;
        const TopoDevice& ld = live.devices[size_t(l)];
        for (int32_t j = 0; j < ld.path_count; j++) live_owner[size_t(ld.first_path + j)] = int32_t(s);
        compare_device(saved, live, int32_t(s), l, &live_seen, out);
    }
    for (size_t l = 0; l < live.devices.size(); l++)
        if (!live_matched[l]) out->push_back(make(DiffKind::DeviceNew, -1, int32_t(l)));
    if (saved.has_adapters) compare_adapter_tables(saved, live, out);
    else compare_adapters(saved, live, live_owner, live_seen, out);
}
