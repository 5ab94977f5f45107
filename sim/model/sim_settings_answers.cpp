// The simulated driver's answers to the adapter statistics request and to the
// small configuration requests.
#include "sim_settings_answers.h"
#include "sim_answer_parts.h"

#include <string.h>

static_assert(SIM_PERF_DEVICE_SLOTS == SIM_MAX_DEVICES, "one performance flag per device slot");

namespace {

// The request's own bytes as the reply: what a driver that changes nothing in
// the buffer hands back.
SimReply echo(const uint8_t* in, uint8_t* out, uint32_t size) {
    memcpy(out, in, size);
    return SimReply{0, size};
}

// 0 when slot `number` holds a present device, else the error its slot answers with.
uint32_t device_error(const SimWorld* w, uint32_t number) {
    if (number >= uint32_t(SIM_MAX_DEVICES) || int32_t(number) >= w->device_count) return DSM_ERROR_FILE_NOT_FOUND;
    switch (w->devices[number].slot_state) {
    case SIM_SLOT_PRESENT:
        return 0;
    case SIM_SLOT_REMOVED:
        return DSM_ERROR_DEVICE_REMOVED;
    default:
        return DSM_ERROR_FILE_NOT_FOUND;
    }
}

// Resets the counters of devices FirstDevice..LastDevice; all must be present.
SimReply clear_counters(SimWorld* w, const uint8_t* in, uint8_t* out) {
    uint32_t first = sim_get_u32(in + 4);
    uint32_t last = sim_get_u32(in + 8);
    uint32_t kind = sim_get_u32(in + 12);
    if ((kind != DSM_CLEAR_ERRORS && kind != DSM_CLEAR_ALL) || first > last) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    // Every device named must be there before any is touched.
    for (uint32_t n = first; n <= last; n++) {
        uint32_t error = device_error(w, n);
        if (error != 0) return sim_fail(error);
        if (n == last) break;  // last may be 0xFFFFFFFF
    }
    for (uint32_t n = first; n <= last; n++) {
        SimDevice* d = &w->devices[n];
        uint32_t paths = d->path_count > uint32_t(SIM_MAX_PATHS) ? uint32_t(SIM_MAX_PATHS) : d->path_count;
        for (uint32_t p = 0; p < paths; p++) {
            d->paths[p].error_count = 0;
            if (kind == DSM_CLEAR_ALL) d->paths[p].select_count = 0;
        }
        if (kind == DSM_CLEAR_ALL) {
            memset(d->io_counters, 0, sizeof d->io_counters);
            memset(d->sector_counters, 0, sizeof d->sector_counters);
            memset(d->size_histogram, 0, sizeof d->size_histogram);
        }
        if (n == last) break;
    }
    w->changed = 1;
    return echo(in, out, sizeof(DSM_CLEAR_REQUEST));
}

// Switches performance collection on for one present device.
SimReply set_device_perf(SimWorld* w, const uint8_t* in, uint8_t* out) {
    uint32_t number = sim_get_u32(in);
    uint32_t error = device_error(w, number);
    if (error != 0) return sim_fail(error);
    w->settings.device_perf[number] = 1;
    w->changed = 1;
    return echo(in, out, 4);
}

// The model a request names: its 8-byte field up to the first NUL, compared whole.
SimModel* find_model(SimWorld* w, const uint8_t* field) {
    char name[9] = {};
    memcpy(name, field, 8);
    int32_t n = w->model_count;
    if (n < 0) n = 0;
    if (n > SIM_MAX_MODELS) n = SIM_MAX_MODELS;
    for (int32_t i = 0; i < n; i++) {
        char known[9] = {};
        memcpy(known, w->models[i].name, sizeof w->models[i].name);
        if (strcmp(known, name) == 0) return &w->models[i];
    }
    return nullptr;
}

// Gets or sets the model's retry delay; an unknown model answers Status 1.
SimReply retry_delay(SimWorld* w, bool set, const uint8_t* in, uint8_t* out) {
    SimReply reply = echo(in, out, sizeof(DSM_RETRY_DELAY_REQUEST));
    SimModel* m = find_model(w, in + 4);
    if (m == nullptr) {
        sim_put_u32(out, SIM_STATUS_UNKNOWN_MODEL);
        return reply;
    }
    sim_put_u32(out, 0);
    if (set) {
        m->retry_delay = sim_get_u32(in + 12);
        w->changed = 1;
    } else {
        sim_put_u32(out + 12, m->retry_delay);
    }
    return reply;
}

// Gets or sets the model's repeat values; an unknown model answers Status 1.
SimReply repeat(SimWorld* w, bool set, const uint8_t* in, uint8_t* out) {
    SimReply reply = echo(in, out, sizeof(DSM_REPEAT_REQUEST));
    SimModel* m = find_model(w, in + 4);
    if (m == nullptr) {
        sim_put_u32(out, SIM_STATUS_UNKNOWN_MODEL);
        return reply;
    }
    sim_put_u32(out, 0);
    if (!set) {
        sim_put_u32(out + 12, m->repeat_error);
        sim_put_u32(out + 16, m->repeat_interval);
        return reply;
    }
    // The buffer goes back as sent: the caller reads the values it asked for.
    uint32_t error_count = sim_get_u32(in + 12);
    uint32_t interval = sim_get_u32(in + 16);
    if (error_count != DSM_REPEAT_UNCHANGED) m->repeat_error = error_count;
    if (interval != DSM_REPEAT_UNCHANGED) m->repeat_interval = interval;
    w->changed = 1;
    return reply;
}

// The size of the record that request `code` carries.
uint32_t record_size(uint32_t code) {
    switch (code) {
    case IOCTL_DSM_CLEAR_COUNTERS:
        return sizeof(DSM_CLEAR_REQUEST);
    case IOCTL_DSM_GET_RETRY_DELAY:
    case IOCTL_DSM_SET_RETRY_DELAY:
        return sizeof(DSM_RETRY_DELAY_REQUEST);
    case IOCTL_DSM_GET_REPEAT:
    case IOCTL_DSM_SET_REPEAT:
        return sizeof(DSM_REPEAT_REQUEST);
    default:
        return 4;
    }
}

}  // namespace

SimReply sim_answer_adapter_stats(const SimWorld* w, const uint8_t* in, uint32_t in_len, uint8_t* out,
                                  uint32_t out_len) {
    if (in_len < sizeof(DSM_ADAPTER_STATS) || out_len < sizeof(DSM_ADAPTER_STATS))
        return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    uint32_t number = sim_get_u32(in + 4);
    // Adapter numbers index the table of active adapters, as IOCTL_DSM_GET_ADAPTER_INFO lists it.
    int32_t n = w->adapter_count > SIM_MAX_ADAPTERS ? SIM_MAX_ADAPTERS : w->adapter_count;
    uint32_t listed = 0;
    for (int32_t i = 0; i < n; i++) {
        const SimAdapter* a = &w->adapters[i];
        if (!a->active) continue;
        if (listed++ != number) continue;
        DSM_ADAPTER_STATS stats = {};
        stats.AdapterNumber = number;
        memcpy(stats.IoCounters, a->io_counters, sizeof stats.IoCounters);
        memcpy(stats.SectorCounters, a->sector_counters, sizeof stats.SectorCounters);
        memcpy(out, &stats, sizeof stats);
        return SimReply{0, sizeof stats};
    }
    return sim_fail(DSM_ERROR_INVALID_PARAMETER);
}

SimReply sim_answer_setting(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                            uint32_t out_len) {
    uint32_t size = record_size(code);
    if (in_len < size || out_len < size) return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    switch (code) {
    case IOCTL_DSM_CLEAR_COUNTERS:
        return clear_counters(w, in, out);
    case IOCTL_DSM_SET_PERF:
        w->perf_collection = sim_get_u32(in);
        w->changed = 1;
        return echo(in, out, 4);
    case IOCTL_DSM_SET_DEVICE_PERF:
        return set_device_perf(w, in, out);
    case IOCTL_DSM_SET_TRACE:
        w->trace_mask = sim_get_u32(in);
        w->changed = 1;
        return echo(in, out, 4);
    case IOCTL_DSM_GET_RETRY_DELAY:
        return retry_delay(w, false, in, out);
    case IOCTL_DSM_SET_RETRY_DELAY:
        return retry_delay(w, true, in, out);
    case IOCTL_DSM_GET_REPEAT:
        return repeat(w, false, in, out);
    case IOCTL_DSM_SET_REPEAT:
        return repeat(w, true, in, out);
    default:
        return sim_fail(DSM_ERROR_INVALID_FUNCTION);
    }
}
