// The simulated driver's answers to control requests.
#include "sim_model.h"
#include "sim_answer_parts.h"

#include "scsi_disk.h"

#include <string.h>

#include "sim_state_change.h"
#include "sim_settings_answers.h"

namespace {

struct RequestName {
    uint32_t code;
    const char* name;
};

const RequestName kRequestNames[] = {
    {IOCTL_DSM_GET_COUNTS, "IOCTL_DSM_GET_COUNTS"},
    {IOCTL_DSM_GET_ADAPTER_INFO, "IOCTL_DSM_GET_ADAPTER_INFO"},
    {IOCTL_DSM_GET_DEVICE_INFO, "IOCTL_DSM_GET_DEVICE_INFO"},
    {IOCTL_DSM_SET_PATH_STATE, "IOCTL_DSM_SET_PATH_STATE"},
    {IOCTL_DSM_SET_ADAPTER_STATE, "IOCTL_DSM_SET_ADAPTER_STATE"},
    {IOCTL_DSM_GET_DEVICE_STATS, "IOCTL_DSM_GET_DEVICE_STATS"},
    {IOCTL_DSM_GET_ADAPTER_STATS, "IOCTL_DSM_GET_ADAPTER_STATS"},
    {IOCTL_DSM_SET_POLICY, "IOCTL_DSM_SET_POLICY"},
    {IOCTL_DSM_CLEAR_COUNTERS, "IOCTL_DSM_CLEAR_COUNTERS"},
    {IOCTL_DSM_GET_RETRY_DELAY, "IOCTL_DSM_GET_RETRY_DELAY"},
    {IOCTL_DSM_SET_RETRY_DELAY, "IOCTL_DSM_SET_RETRY_DELAY"},
    {IOCTL_DSM_GET_REPEAT, "IOCTL_DSM_GET_REPEAT"},
    {IOCTL_DSM_SET_REPEAT, "IOCTL_DSM_SET_REPEAT"},
    {IOCTL_DSM_GET_ISCSI_COUNT, "IOCTL_DSM_GET_ISCSI_COUNT"},
    {IOCTL_DSM_GET_FC_COUNT, "IOCTL_DSM_GET_FC_COUNT"},
    {IOCTL_DSM_GET_SAS_COUNT, "IOCTL_DSM_GET_SAS_COUNT"},
    {IOCTL_DSM_SET_DEVICE_PERF, "IOCTL_DSM_SET_DEVICE_PERF"},
    {IOCTL_DSM_SET_PERF, "IOCTL_DSM_SET_PERF"},
    {IOCTL_DSM_SET_TRACE, "IOCTL_DSM_SET_TRACE"},
    {IOCTL_DSM_GET_CSV_COUNT, "IOCTL_DSM_GET_CSV_COUNT"},
    {IOCTL_DSM_GET_ALL_ADAPTER_INFO, "IOCTL_DSM_GET_ALL_ADAPTER_INFO"},
    {IOCTL_DSM_SEND_RTPG, "IOCTL_DSM_SEND_RTPG"},
    {IOCTL_DSM_SET_PREFERRED_PATH, "IOCTL_DSM_SET_PREFERRED_PATH"},
    {IOCTL_DSM_GET_PREFERRED_PATH, "IOCTL_DSM_GET_PREFERRED_PATH"},
    {IOCTL_DSM_READ_CAPACITY, "IOCTL_DSM_READ_CAPACITY"},
    {SIM_CODE_OPEN, "open"},
    {SIM_CODE_CLOSE, "close"},
    {SIM_CODE_DISK_OPEN, "disk_open"},
    {SIM_CODE_DISK_CLOSE, "disk_close"},
    {SIM_CODE_LOCATE_ROOT, "locate_root"},
    {SIM_CODE_REENUMERATE, "reenumerate"},
    {IOCTL_SCSI_GET_ADDRESS, "IOCTL_SCSI_GET_ADDRESS"},
    {IOCTL_SCSI_PASS_THROUGH, "IOCTL_SCSI_PASS_THROUGH"},
};

// The largest record a request carries, with room to spare; requests are
// answered one at a time, so one static scratch area serves them all.
constexpr uint32_t kScratchSize = 8192;
uint8_t g_scratch_in[kScratchSize];
uint8_t g_scratch_out[kScratchSize];

// Copies a NUL-terminated text into a fixed field, always leaving it terminated
// unless `terminated` is false (fields such as ProductId are exactly full).
void copy_field(char* dst, uint32_t dst_size, const char* src, bool terminated) {
    uint32_t n = 0;
    uint32_t limit = terminated ? dst_size - 1 : dst_size;
    while (n < limit && src[n] != '\0') {
        dst[n] = src[n];
        n++;
    }
}

// The device or adapter number a request names, or -1.
int32_t request_slot(uint32_t code, const uint8_t* in, uint32_t in_len) {
    uint32_t offset;
    switch (code) {
    case IOCTL_DSM_GET_DEVICE_INFO:
    case IOCTL_DSM_SET_PATH_STATE:
    case IOCTL_DSM_SET_ADAPTER_STATE:
    case IOCTL_DSM_GET_DEVICE_STATS:
    case IOCTL_DSM_GET_ADAPTER_STATS:
    case IOCTL_DSM_SET_POLICY:
    case IOCTL_DSM_CLEAR_COUNTERS:
        offset = 4;
        break;
    case IOCTL_DSM_SET_PREFERRED_PATH:
    case IOCTL_DSM_GET_PREFERRED_PATH:
    case IOCTL_DSM_READ_CAPACITY:
    case IOCTL_DSM_SET_DEVICE_PERF:
        offset = 0;
        break;
    default:
        return -1;
    }
    if (in_len < offset + 4) return -1;
    return int32_t(sim_get_u32(in + offset));
}

SimFault* find_fault(SimWorld* w, uint32_t code, int32_t slot, int32_t page) {
    int32_t n = w->fault_count;
    if (n > SIM_MAX_FAULTS) n = SIM_MAX_FAULTS;
    for (int32_t i = 0; i < n; i++) {
        SimFault* f = &w->faults[i];
        if (f->code != code || (f->slot >= 0 && f->slot != slot)) continue;
        if (f->page_given != 0 && int32_t(f->page) != page) continue;
        if (f->after > 0) {  // this one still lets the request through
            f->after--;
            w->changed = 1;
            continue;
        }
        return f;
    }
    return nullptr;
}

// Counts one use of a fault and drops it when it has run out.
void use_fault(SimWorld* w, SimFault* f) {
    if (f->remaining <= 0) return;
    if (--f->remaining > 0) return;
    int32_t n = w->fault_count > SIM_MAX_FAULTS ? SIM_MAX_FAULTS : w->fault_count;
    int32_t index = int32_t(f - w->faults);
    for (int32_t i = index; i + 1 < n; i++) w->faults[i] = w->faults[i + 1];
    memset(&w->faults[n - 1], 0, sizeof w->faults[n - 1]);
    w->fault_count = n - 1;
    w->changed = 1;
}

// Records one request; `in` holds `kept` of the `in_len` bytes sent.
void journal(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t kept, uint32_t in_len, uint32_t out_len,
             SimReply reply) {
    SimJournal* j = &w->journal;
    SimJournalEntry* e = &j->entries[j->count % SIM_JOURNAL_SIZE];
    memset(e, 0, sizeof *e);
    e->sequence = j->count;
    e->code = code;
    e->in_len = in_len;
    e->out_len = out_len;
    e->error = reply.error;
    e->returned = reply.returned;
    uint32_t head = kept < uint32_t(SIM_JOURNAL_HEAD) ? kept : uint32_t(SIM_JOURNAL_HEAD);
    if (in != nullptr) {
        memcpy(e->head, in, head);
        for (uint32_t i = head; i < kept; i++) {
            if (in[i] != 0) {
                e->tail_nonzero = 1;
                break;
            }
        }
    }
    e->head_len = uint8_t(head);
    j->count++;
    w->changed = 1;
}

SimReply answer_count(int32_t count, uint8_t* out, uint32_t out_len) {
    if (out_len < sizeof(DSM_COUNT_RECORD)) return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    DSM_COUNT_RECORD* r = reinterpret_cast<DSM_COUNT_RECORD*>(out);
    r->Count = count;
    return SimReply{0, sizeof(DSM_COUNT_RECORD)};
}

SimReply answer_adapter_table(const SimWorld* w, bool all, uint8_t* out, uint32_t out_len) {
    if (out_len < sizeof(DSM_ADAPTER_TABLE)) return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    DSM_ADAPTER_TABLE* t = reinterpret_cast<DSM_ADAPTER_TABLE*>(out);
    int32_t n = w->adapter_count;
    if (n > SIM_MAX_ADAPTERS) n = SIM_MAX_ADAPTERS;
    int32_t filled = 0;
    for (int32_t i = 0; i < n; i++) {
        const SimAdapter* a = &w->adapters[i];
        if (!all && !a->active) continue;
        DSM_ADAPTER_ENTRY* e = &t->Adapters[filled++];
        e->State = a->state;
        e->Mode = a->mode;
        e->SelectCount = a->select_count;
        e->ErrorCount = a->error_count;
        e->PathCount = a->path_count;
        e->ActivePathCount = a->active_path_count;
        copy_field(e->AdapterName, sizeof e->AdapterName, a->name, true);
        e->BusType = a->bus_type;
    }
    t->AdapterCount = filled;
    return SimReply{0, sizeof(DSM_ADAPTER_TABLE)};
}

SimReply answer_device_info(const SimWorld* w, const uint8_t* in, uint8_t* out, uint32_t in_len,
                            uint32_t out_len) {
    if (in_len < sizeof(DSM_DEVICE_RECORD) || out_len < sizeof(DSM_DEVICE_RECORD))
        return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    uint32_t number = sim_get_u32(in + 4);
    if (number == DSM_FIND_BY_NAME) number = sim_device_by_name(w, reinterpret_cast<const char*>(in) + 12, 48);
    SimReply reply{0, 0};
    const SimDevice* d = sim_find_device(w, number, out, &reply);
    if (d == nullptr) return reply;
    DSM_DEVICE_RECORD* r = reinterpret_cast<DSM_DEVICE_RECORD*>(out);
    r->DeviceNumber = number;
    r->ScsiLevel = d->scsi_level;
    copy_field(r->DeviceName, sizeof r->DeviceName, d->device_name, true);
    // A driver fills the whole serial field when the serial is that long; shorter
    // ones end at the zero fill.
    copy_field(r->SerialNumber, sizeof r->SerialNumber, d->serial_number, false);
    copy_field(r->ProductId, sizeof r->ProductId, d->product_id, false);
    r->Policy = d->policy;
    uint32_t paths = d->path_count > uint32_t(SIM_MAX_PATHS) ? uint32_t(SIM_MAX_PATHS) : d->path_count;
    r->PathCount = paths;
    for (uint32_t i = 0; i < paths; i++) {
        const SimPath* p = &d->paths[i];
        DSM_PATH_ENTRY* e = &r->Paths[i];
        copy_field(e->DiskName, sizeof e->DiskName, p->disk_name, true);
        copy_field(e->AdapterName, sizeof e->AdapterName, p->adapter_name, true);
        e->State = p->state;
        e->Mode = p->mode;
        e->SelectCount = p->select_count;
        e->ErrorCount = p->error_count;
        memcpy(e->ScsiAddress, p->scsi_address, 4);
        e->NonOptimized = p->non_optimized;
    }
    copy_field(r->LunIdentifier, sizeof r->LunIdentifier, d->lun_identifier, true);
    r->IsReserved = d->is_reserved;
    r->IsCsv = d->is_csv;
    r->KeyCount = d->key_count;
    r->Key = d->key;
    r->InterfaceType = d->interface_type;
    return SimReply{0, sizeof(DSM_DEVICE_RECORD)};
}

SimReply answer_rtpg(SimWorld* w, const uint8_t* in, uint32_t in_len, uint8_t* out, uint32_t out_len) {
    if (in_len < 4 || out_len < 4) return sim_fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    if (sim_get_u32(in) != 1) return sim_fail(DSM_ERROR_INVALID_PARAMETER);
    w->rtpg_count++;
    w->changed = 1;
    sim_put_u32(out, 1);
    return SimReply{0, 4};
}

SimReply answer_request(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                        uint32_t out_len) {
    switch (code) {
    case IOCTL_DSM_GET_COUNTS:
        return answer_count(w->device_slot_count, out, out_len);
    case IOCTL_DSM_GET_ADAPTER_INFO:
        return answer_adapter_table(w, false, out, out_len);
    case IOCTL_DSM_GET_ALL_ADAPTER_INFO:
        return answer_adapter_table(w, true, out, out_len);
    case IOCTL_DSM_GET_DEVICE_INFO:
        return answer_device_info(w, in, out, in_len, out_len);
    case IOCTL_DSM_SEND_RTPG:
        return answer_rtpg(w, in, in_len, out, out_len);
    case IOCTL_DSM_GET_ADAPTER_STATS:
        return sim_answer_adapter_stats(w, in, in_len, out, out_len);
    case IOCTL_DSM_CLEAR_COUNTERS:
    case IOCTL_DSM_SET_PERF:
    case IOCTL_DSM_SET_DEVICE_PERF:
    case IOCTL_DSM_SET_TRACE:
    case IOCTL_DSM_GET_RETRY_DELAY:
    case IOCTL_DSM_SET_RETRY_DELAY:
    case IOCTL_DSM_GET_REPEAT:
    case IOCTL_DSM_SET_REPEAT:
        return sim_answer_setting(w, code, in, in_len, out, out_len);
    default: {
        SimReply reply;
        if (sim_answer_state_change(w, code, in, in_len, out, out_len, &reply)) return reply;
        if (sim_answer_query(w, code, in, in_len, out, out_len, &reply)) return reply;
        return sim_fail(DSM_ERROR_INVALID_FUNCTION);
    }
    }
}

bool is_count_request(uint32_t code) {
    return code == IOCTL_DSM_GET_COUNTS || code == IOCTL_DSM_GET_ISCSI_COUNT || code == IOCTL_DSM_GET_FC_COUNT ||
           code == IOCTL_DSM_GET_SAS_COUNT || code == IOCTL_DSM_GET_CSV_COUNT;
}

}  // namespace

void sim_world_clear(SimWorld* world) {
    memset(world, 0, sizeof *world);
    // No adapters, but the HBA library is there: it answers as it does without the test driver.
    world->hba.version = SIM_HBA_DEFAULT_VERSION;
}

SimReply sim_answer(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, void* out,
                    uint32_t out_len) {
    // Work on private copies: the caller's buffers may alias, and a reply never
    // carries stale bytes beyond what the answer wrote.
    uint32_t in_copy = in_len < kScratchSize ? in_len : kScratchSize;
    if (in != nullptr && in_copy > 0) memcpy(g_scratch_in, in, in_copy);
    uint32_t out_room = out_len < kScratchSize ? out_len : kScratchSize;
    memset(g_scratch_out, 0, out_room);

    SimReply reply;
    if (!world->driver_loaded) {
        reply = sim_fail(DSM_ERROR_FILE_NOT_FOUND);
    } else if (in_len > kScratchSize || out_len > kScratchSize) {
        reply = sim_fail(DSM_ERROR_INVALID_PARAMETER);
    } else {
        int32_t slot = request_slot(code, g_scratch_in, in_copy);
        SimFault* fault = find_fault(world, code, slot, -1);
        if (fault != nullptr && fault->error != 0) {
            reply = sim_fail(fault->error);
        } else {
            reply = answer_request(world, code, g_scratch_in, in_copy, g_scratch_out, out_room);
            if (fault != nullptr && reply.error == 0) {
                if (fault->status >= 0 && reply.returned >= 4) sim_put_u32(g_scratch_out, uint32_t(fault->status));
                if (fault->count_given != 0 && reply.returned >= sizeof(DSM_COUNT_RECORD) && is_count_request(code))
                    sim_put_u32(g_scratch_out + 4, uint32_t(fault->count));
                if (fault->reply_bytes >= 0 && uint32_t(fault->reply_bytes) < reply.returned)
                    reply.returned = uint32_t(fault->reply_bytes);
            }
        }
        if (fault != nullptr) use_fault(world, fault);
    }
    if (reply.returned > out_room) reply.returned = out_room;
    // Journal from the private copy of the input (the reply may overwrite the
    // caller's buffer), but with the length the caller really sent.
    if (world->driver_loaded) journal(world, code, g_scratch_in, in_copy, in_len, out_len, reply);
    // A failed answer normally carries nothing; a refusal may still carry its Status.
    if (out != nullptr) memcpy(out, g_scratch_out, reply.returned);
    return reply;
}

static uint32_t handle_operation(SimWorld* world, uint32_t code) {
    SimReply reply{0, 0};
    if (!world->driver_loaded) {
        reply.error = DSM_ERROR_FILE_NOT_FOUND;
    } else {
        SimFault* fault = find_fault(world, code, -1, -1);
        if (fault != nullptr) {
            reply.error = fault->error;
            use_fault(world, fault);
        }
    }
    // Without a driver nothing reaches it, so nothing is journalled.
    if (world->driver_loaded) journal(world, code, nullptr, 0, 0, 0, reply);
    return reply.error;
}

uint32_t sim_open(SimWorld* world) { return handle_operation(world, SIM_CODE_OPEN); }

uint32_t sim_close(SimWorld* world) { return handle_operation(world, SIM_CODE_CLOSE); }

void sim_journal_add(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, uint32_t error) {
    journal(world, code, static_cast<const uint8_t*>(in), in_len, in_len, 0, SimReply{error, 0});
}

SimFault* sim_take_fault(SimWorld* world, uint32_t code, int32_t slot, int32_t page) {
    return find_fault(world, code, slot, page);
}

void sim_spend_fault(SimWorld* world, SimFault* fault) { use_fault(world, fault); }

const char* sim_request_name(uint32_t code) {
    for (const RequestName& r : kRequestNames)
        if (r.code == code) return r.name;
    return nullptr;
}

uint32_t sim_request_code(const char* name) {
    for (const RequestName& r : kRequestNames)
        if (strcmp(r.name, name) == 0) return r.code;
    return 0;
}

uint32_t sim_journal_kept(const SimWorld* world) {
    return world->journal.count < uint32_t(SIM_JOURNAL_SIZE) ? world->journal.count : uint32_t(SIM_JOURNAL_SIZE);
}

const SimJournalEntry* sim_journal_entry(const SimWorld* world, uint32_t index) {
    uint32_t kept = sim_journal_kept(world);
    if (index >= kept) return nullptr;
    uint32_t first = world->journal.count - kept;
    return &world->journal.entries[(first + index) % SIM_JOURNAL_SIZE];
}

void sim_journal_record(SimWorld* world, uint32_t code, const void* in, uint32_t in_len, uint32_t out_len,
                        SimReply reply) {
    journal(world, code, static_cast<const uint8_t*>(in), in_len, in_len, out_len, reply);
}
