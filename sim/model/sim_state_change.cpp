// The simulated driver's state changes: paths and adapters online and offline,
// preferred paths, policies; each reads back through the device and adapter records.
#include "sim_state_change.h"
#include "sim_answer_parts.h"

#include <string.h>

namespace {

// The device slots the world lists, clamped to the table.
int32_t listed_devices(const SimWorld* w) {
    return w->device_count < 0 ? 0 : w->device_count > SIM_MAX_DEVICES ? SIM_MAX_DEVICES : w->device_count;
}

// The device's path count, clamped to the path table.
uint32_t path_count(const SimDevice* d) {
    return d->path_count > uint32_t(SIM_MAX_PATHS) ? uint32_t(SIM_MAX_PATHS) : d->path_count;
}

// True for a path that carries I/O: open and in normal mode.
bool usable(const SimPath* p) { return p->state == DSM_PATH_OPEN && p->mode == DSM_MODE_NORMAL; }

// True when the first `size` bytes of `text` (up to a NUL) hold a backslash.
bool has_backslash(const char* text, size_t size) {
    for (size_t i = 0; i < size && text[i] != '\0'; i++)
        if (text[i] == '\\') return true;
    return false;
}

// True when two name fields of `size` bytes hold the same text.
bool same_name(const char* a, const char* b, size_t size) { return strncmp(a, b, size) == 0; }

// The adapter listed at `number` by IOCTL_DSM_GET_ADAPTER_INFO (active adapters only).
SimAdapter* listed_adapter(SimWorld* w, uint32_t number) {
    int32_t n = w->adapter_count < 0 ? 0 : w->adapter_count > SIM_MAX_ADAPTERS ? SIM_MAX_ADAPTERS : w->adapter_count;
    uint32_t seen = 0;
    for (int32_t i = 0; i < n; i++) {
        if (!w->adapters[i].active) continue;
        if (seen++ == number) return &w->adapters[i];
    }
    return nullptr;
}

// Recounts the open, normal paths through `a` over the present devices.
void recount_active_paths(SimWorld* w, SimAdapter* a) {
    int32_t active = 0;
    for (int32_t i = 0; i < listed_devices(w); i++) {
        const SimDevice* d = &w->devices[i];
        if (d->slot_state != SIM_SLOT_PRESENT) continue;
        for (uint32_t p = 0; p < path_count(d); p++)
            if (usable(&d->paths[p]) && same_name(d->paths[p].adapter_name, a->name, sizeof a->name)) active++;
    }
    a->active_path_count = active;
}

void recount_adapter_of(SimWorld* w, const SimPath* p) {
    int32_t n = w->adapter_count < 0 ? 0 : w->adapter_count > SIM_MAX_ADAPTERS ? SIM_MAX_ADAPTERS : w->adapter_count;
    for (int32_t i = 0; i < n; i++)
        if (same_name(w->adapters[i].name, p->adapter_name, sizeof p->adapter_name))
            recount_active_paths(w, &w->adapters[i]);
}

// True when taking away the paths that `lost` selects would leave some device
// that has an open path now with none.
template <typename Lost>
bool leaves_device_without_access(const SimWorld* w, Lost lost) {
    for (int32_t i = 0; i < listed_devices(w); i++) {
        const SimDevice* d = &w->devices[i];
        if (d->slot_state != SIM_SLOT_PRESENT) continue;
        bool had = false;
        bool keeps = false;
        for (uint32_t p = 0; p < path_count(d); p++) {
            if (!usable(&d->paths[p])) continue;
            had = true;
            if (!lost(i, p, &d->paths[p])) keeps = true;
        }
        if (had && !keeps) return true;
    }
    return false;
}

// The refusal to take away the last access: Status 5, failing the call when the world says so.
SimReply refuse_to_preserve_access(const SimWorld* w, uint8_t* out, uint32_t size) {
    sim_put_u32(out, DSM_STATUS_PRESERVE_ACCESS);
    return SimReply{w->preserve_access.error, size};
}

// What the driver does to a path set online or offline.
void set_path_online(SimPath* p, bool online) {
    if (online) {
        p->state = DSM_PATH_OPEN;
        p->mode = DSM_MODE_NORMAL;
    } else {
        if (p->state == DSM_PATH_OPEN) p->state = DSM_PATH_DEAD;
        p->mode = DSM_MODE_OFFLINE;
    }
}

// The answers below take bodies already checked for length; each returns the reply.
SimReply answer_path_state(SimWorld* w, const uint8_t* in, uint8_t* out) {
    uint32_t number = sim_get_u32(in + 4);
    uint32_t path = sim_get_u32(in + 8);
    uint32_t action = sim_get_u32(in + 12);
    if (sim_get_u32(in + 16) != DSM_REQUEST_MARKER) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    SimReply reply{0, 0};
    SimDevice* d = sim_find_device(w, number, out, &reply);
    if (d == nullptr) return reply;
    if (path >= path_count(d) || (action != DSM_ACTION_ONLINE && action != DSM_ACTION_OFFLINE))
        return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    SimPath* p = &d->paths[path];
    if (action == DSM_ACTION_OFFLINE &&
        leaves_device_without_access(w, [&](int32_t slot, uint32_t i, const SimPath*) {
            return uint32_t(slot) == number && i == path;
        }))
        return refuse_to_preserve_access(w, out, sizeof(DSM_PATH_STATE_REQUEST));
    set_path_online(p, action == DSM_ACTION_ONLINE);
    recount_adapter_of(w, p);
    w->changed = 1;
    return SimReply{0, sizeof(DSM_PATH_STATE_REQUEST)};
}

SimReply answer_adapter_state(SimWorld* w, const uint8_t* in, uint8_t* out) {
    uint32_t action = sim_get_u32(in + 8);
    if (sim_get_u32(in + 12) != DSM_REQUEST_MARKER) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    SimAdapter* a = listed_adapter(w, sim_get_u32(in + 4));
    if (a == nullptr) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    // Recounting path references is the driver's own business: nothing visible changes.
    if (action == DSM_ACTION_PATHCOUNTREF) return SimReply{0, sizeof(DSM_ADAPTER_STATE_REQUEST)};
    if (action != DSM_ACTION_ONLINE && action != DSM_ACTION_OFFLINE) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    bool online = action == DSM_ACTION_ONLINE;
    auto through_adapter = [&](const SimPath* p) { return same_name(p->adapter_name, a->name, sizeof a->name); };
    if (!online && leaves_device_without_access(w, [&](int32_t, uint32_t, const SimPath* p) {
            return through_adapter(p);
        }))
        return refuse_to_preserve_access(w, out, sizeof(DSM_ADAPTER_STATE_REQUEST));
    a->mode = online ? DSM_MODE_NORMAL : DSM_MODE_OFFLINE;
    for (int32_t i = 0; i < listed_devices(w); i++) {
        SimDevice* d = &w->devices[i];
        if (d->slot_state != SIM_SLOT_PRESENT) continue;
        for (uint32_t p = 0; p < path_count(d); p++) {
            SimPath* path = &d->paths[p];
            if (!through_adapter(path)) continue;
            // Online brings back what the adapter took offline; a closed path stays closed.
            if (online && (path->mode != DSM_MODE_OFFLINE || path->state == DSM_PATH_CLOSE)) continue;
            set_path_online(path, online);
        }
    }
    recount_active_paths(w, a);
    w->changed = 1;
    return SimReply{0, sizeof(DSM_ADAPTER_STATE_REQUEST)};
}

SimReply answer_policy(SimWorld* w, const uint8_t* in, uint8_t* out) {
    SimReply reply{0, 0};
    SimDevice* d = sim_find_device(w, sim_get_u32(in + 4), out, &reply);
    if (d == nullptr) return reply;
    uint32_t policy = sim_get_u32(in + 56);
    uint32_t scope = sim_get_u32(in + 60);
    if (policy > DSM_POLICY_ROUND_ROBIN_SUBSET || scope > DSM_SCOPE_OPT_NODES) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    d->policy = policy;
    d->scope = scope;
    w->changed = 1;
    return SimReply{0, sizeof(DSM_POLICY_REQUEST)};
}

SimReply answer_set_preferred(SimWorld* w, const uint8_t* in, uint8_t* out) {
    SimReply reply{0, 0};
    SimDevice* d = sim_find_device(w, sim_get_u32(in), out, &reply);
    if (d == nullptr) return reply;
    uint32_t path = sim_get_u32(in + 4);
    uint8_t is_set = in[8];
    if (is_set > 1 || (is_set == 1 && path >= path_count(d))) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    d->has_preferred_path = is_set;
    d->preferred_path = is_set ? path : 0;
    w->changed = 1;
    memcpy(out, in, sizeof(DSM_PREFERRED_PATH));
    return SimReply{0, sizeof(DSM_PREFERRED_PATH)};
}

SimReply answer_get_preferred(SimWorld* w, const uint8_t* in, uint8_t* out) {
    uint32_t number = sim_get_u32(in);
    SimReply reply{0, 0};
    SimDevice* d = sim_find_device(w, number, out, &reply);
    if (d == nullptr) return reply;
    sim_put_u32(out, number);
    sim_put_u32(out + 4, d->has_preferred_path ? d->preferred_path : 0);
    out[8] = d->has_preferred_path ? 1 : 0;
    return SimReply{0, sizeof(DSM_PREFERRED_PATH)};
}

}  // namespace

bool sim_answer_state_change(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                             uint32_t out_len, SimReply* reply) {
    uint32_t size;
    switch (code) {
    case IOCTL_DSM_SET_PATH_STATE: size = sizeof(DSM_PATH_STATE_REQUEST); break;
    case IOCTL_DSM_SET_ADAPTER_STATE: size = sizeof(DSM_ADAPTER_STATE_REQUEST); break;
    case IOCTL_DSM_SET_POLICY: size = sizeof(DSM_POLICY_REQUEST); break;
    case IOCTL_DSM_SET_PREFERRED_PATH:
    case IOCTL_DSM_GET_PREFERRED_PATH: size = sizeof(DSM_PREFERRED_PATH); break;
    default: return false;
    }
    if (in_len < size || out_len < size) {
        *reply = sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
        return true;
    }
    switch (code) {
    case IOCTL_DSM_SET_PATH_STATE: *reply = answer_path_state(w, in, out); break;
    case IOCTL_DSM_SET_ADAPTER_STATE: *reply = answer_adapter_state(w, in, out); break;
    case IOCTL_DSM_SET_POLICY: *reply = answer_policy(w, in, out); break;
    case IOCTL_DSM_SET_PREFERRED_PATH: *reply = answer_set_preferred(w, in, out); break;
    default: *reply = answer_get_preferred(w, in, out); break;
    }
    return true;
}

uint32_t sim_device_by_name(const SimWorld* w, const char* name, uint32_t size) {
    size_t limit = size < sizeof w->devices[0].device_name ? size : sizeof w->devices[0].device_name;
    size_t length = 0;
    while (length < limit && name[length] != '\0') length++;
    // A name that fills the whole field cannot be any device's terminated name.
    if (length == 0 || length >= sizeof w->devices[0].device_name) return DSM_FIND_BY_NAME;
    // "\Device\Harddisk3\DR0" names disk 3 whatever the object number after DR:
    // an exact name wins, else the same disk folder.
    size_t folder = 0;
    for (size_t i = 0; i < length; i++)
        if (name[i] == '\\') folder = i + 1;
    uint32_t same_folder = DSM_FIND_BY_NAME;
    for (int32_t i = 0; i < listed_devices(w); i++) {
        const SimDevice* d = &w->devices[i];
        if (d->slot_state == SIM_SLOT_ABSENT || d->device_name[0] == '\0') continue;
        if (strncmp(d->device_name, name, length) == 0 && d->device_name[length] == '\0') return uint32_t(i);
        if (same_folder == DSM_FIND_BY_NAME && folder > 1 && strncmp(d->device_name, name, folder) == 0 &&
            !has_backslash(d->device_name + folder, sizeof d->device_name - folder))
            same_folder = uint32_t(i);
    }
    return same_folder;
}
