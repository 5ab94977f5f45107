// The simulated driver's answers to the device queries: device
// statistics, counts by interface and of CSV disks, and the capacity pass-through.
#include "sim_query.h"
#include "sim_answer_parts.h"

#include <string.h>

#include "sim_model.h"

namespace {

void write_be(uint8_t* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; i++) p[i] = uint8_t(v >> (8 * (bytes - 1 - i)));
}

int32_t device_limit(const SimWorld* w) { return w->device_count < SIM_MAX_DEVICES ? w->device_count : SIM_MAX_DEVICES; }

SimReply count_devices(const SimWorld* w, uint32_t code, uint8_t* out, uint32_t out_len) {
    if (out_len < sizeof(DSM_COUNT_RECORD)) return SimReply{DSM_ERROR_INSUFFICIENT_BUFFER, 0};
    int32_t count = 0;
    for (int32_t i = 0; i < device_limit(w); i++) {
        const SimDevice* d = &w->devices[i];
        if (d->slot_state != SIM_SLOT_PRESENT) continue;
        if (code == IOCTL_DSM_GET_CSV_COUNT) count += d->is_csv != 0;
        else if (code == IOCTL_DSM_GET_ISCSI_COUNT) count += d->interface_type == DSM_IF_ISCSI;
        else if (code == IOCTL_DSM_GET_FC_COUNT) count += d->interface_type == DSM_IF_FC;
        else count += d->interface_type == DSM_IF_SAS;
    }
    sim_put_u32(out + 4, uint32_t(count));
    return SimReply{0, sizeof(DSM_COUNT_RECORD)};
}

SimReply device_stats(const SimWorld* w, const uint8_t* in, uint32_t in_len, uint8_t* out, uint32_t out_len) {
    if (in_len < sizeof(DSM_DEVICE_STATS) || out_len < sizeof(DSM_DEVICE_STATS))
        return SimReply{DSM_ERROR_INSUFFICIENT_BUFFER, 0};
    uint32_t number = sim_get_u32(in + 4);
    SimReply reply{0, 0};
    const SimDevice* d = sim_find_device(w, number, out, &reply);
    if (d == nullptr) return reply;
    DSM_DEVICE_STATS s;
    memset(&s, 0, sizeof s);
    s.DeviceNumber = number;
    memcpy(s.ProductId, d->product_id, sizeof s.ProductId);
    memcpy(s.IoCounters, d->io_counters, sizeof s.IoCounters);
    memcpy(s.SectorCounters, d->sector_counters, sizeof s.SectorCounters);
    memcpy(s.SizeHistogram, d->size_histogram, sizeof s.SizeHistogram);
    memcpy(out, &s, sizeof s);
    return SimReply{0, sizeof s};
}

// The next scripted answer for (slot, path), or nullptr when none is left.
const SimCapacityAnswer* next_script_answer(SimWorld* w, uint32_t slot, uint32_t path) {
    int32_t n = w->query.script_count < SIM_MAX_CAPACITY_SCRIPTS ? w->query.script_count : SIM_MAX_CAPACITY_SCRIPTS;
    for (int32_t i = 0; i < n; i++) {
        SimCapacityScript* s = &w->query.scripts[i];
        if (s->slot != int32_t(slot) || s->path != int32_t(path)) continue;
        int32_t count = s->answer_count < SIM_MAX_CAPACITY_ANSWERS ? s->answer_count : SIM_MAX_CAPACITY_ANSWERS;
        if (s->used < 0 || s->used >= count) return nullptr;
        w->changed = 1;
        return &s->answers[s->used++];
    }
    return nullptr;
}

// READ CAPACITY (10) or (16) down one path. The request is 624 bytes; the reply
// is its first 112 bytes (status and sense filled in) and the data asked for.
SimReply read_capacity(SimWorld* w, const uint8_t* in, uint32_t in_len, uint8_t* out, uint32_t out_len) {
    constexpr uint32_t kDataOffset = offsetof(DSM_PASS_THROUGH_REQUEST, Data);
    if (in_len < sizeof(DSM_PASS_THROUGH_REQUEST) || out_len < kDataOffset)
        return SimReply{DSM_ERROR_INVALID_PARAMETER, 0};
    uint32_t number = sim_get_u32(in);
    uint32_t path = sim_get_u32(in + 4);
    SimReply reply{0, 0};
    uint8_t status_word[4];
    const SimDevice* d = sim_find_device(w, number, status_word, &reply);
    if (d == nullptr) return reply.error != 0 ? reply : SimReply{DSM_ERROR_INVALID_PARAMETER, 0};
    uint32_t paths = d->path_count < uint32_t(SIM_MAX_PATHS) ? d->path_count : uint32_t(SIM_MAX_PATHS);
    if (path >= paths) return SimReply{DSM_ERROR_INVALID_PARAMETER, 0};
    if (d->paths[path].state != DSM_PATH_OPEN) return SimReply{DSM_ERROR_DEVICE_NOT_CONNECTED, 0};

    SimCapacityAnswer answer;
    memset(&answer, 0, sizeof answer);
    const SimCapacityAnswer* scripted = next_script_answer(w, number, path);
    if (scripted != nullptr) answer = *scripted;
    if (answer.error != 0) return SimReply{answer.error, 0};

    memcpy(out, in, kDataOffset);
    constexpr uint32_t kStatus = offsetof(DSM_PASS_THROUGH_REQUEST, Spt) + offsetof(DSM_SCSI_PASS_THROUGH64, ScsiStatus);
    constexpr uint32_t kCdb = offsetof(DSM_PASS_THROUGH_REQUEST, Spt) + offsetof(DSM_SCSI_PASS_THROUGH64, Cdb);
    constexpr uint32_t kSense = offsetof(DSM_PASS_THROUGH_REQUEST, Sense);
    const uint8_t* cdb = in + kCdb;
    const SimCapacity* cap = &w->query.capacity[number];
    uint8_t data[12];
    memset(data, 0, sizeof data);
    uint32_t data_len = 0;
    if (cdb[0] == 0x25) {
        uint64_t lba = cap->last_lba > 0xFFFFFFFFu ? 0xFFFFFFFFu : cap->last_lba;
        if (answer.ten_byte_given) lba = answer.ten_byte_lba;
        write_be(data, lba, 4);
        write_be(data + 4, cap->block_length, 4);
        data_len = 8;
    } else if (cdb[0] == 0x9E && (cdb[1] & 0x1F) == 0x10) {
        write_be(data, cap->last_lba, 8);
        write_be(data + 8, cap->block_length, 4);
        data_len = 12;
    } else if (answer.scsi_status == 0) {
        answer.scsi_status = 2;  // check condition: illegal request
        answer.sense_key = 5;
    }
    out[kStatus] = answer.scsi_status;
    if (answer.sense_key != 0) {
        out[kSense] = 0xF0;  // current error, valid
        out[kSense + 2] = answer.sense_key;
        out[kSense + 7] = 10;
    }
    if (answer.scsi_status != 0) data_len = 0;
    uint32_t room = out_len - kDataOffset;
    if (data_len > room) data_len = room;
    memcpy(out + kDataOffset, data, data_len);
    return SimReply{0, kDataOffset + data_len};
}

}  // namespace

bool sim_answer_query(SimWorld* world, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                      uint32_t out_len, SimReply* reply) {
    switch (code) {
    case IOCTL_DSM_GET_ISCSI_COUNT:
    case IOCTL_DSM_GET_FC_COUNT:
    case IOCTL_DSM_GET_SAS_COUNT:
    case IOCTL_DSM_GET_CSV_COUNT:
        *reply = count_devices(world, code, out, out_len);
        return true;
    case IOCTL_DSM_GET_DEVICE_STATS:
        *reply = device_stats(world, in, in_len, out, out_len);
        return true;
    case IOCTL_DSM_READ_CAPACITY:
        *reply = read_capacity(world, in, in_len, out, out_len);
        return true;
    default:
        return false;
    }
}
