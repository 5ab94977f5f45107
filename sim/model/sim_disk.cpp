// The simulated disks' answers: the SCSI address, and INQUIRY with EVPD for the
// pages the scenario gives, through the 64-bit pass-through header.
#include "sim_disk.h"

#include <string.h>

#include "scsi_disk.h"
#include "sim_model.h"

namespace {

// A pass-through never carries more than this; buffers may alias, so the answer
// is built here first.
constexpr uint32_t kScratchSize = 4096;
uint8_t g_disk_in[kScratchSize];
uint8_t g_disk_out[kScratchSize];

constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kSenseLength = 18;

SimReply fail(uint32_t error) { return SimReply{error, 0}; }

SimReply answer_address(const SimDisk* d, uint8_t* out, uint32_t out_len) {
    if (out_len < sizeof(DSM_SCSI_ADDRESS)) return fail(DSM_ERROR_INSUFFICIENT_BUFFER);
    DSM_SCSI_ADDRESS a = {};
    a.Length = sizeof a;
    a.PortNumber = d->scsi_address[0];
    a.PathId = d->scsi_address[1];
    a.TargetId = d->scsi_address[2];
    a.Lun = d->scsi_address[3];
    memcpy(out, &a, sizeof a);
    return SimReply{0, sizeof a};
}

// The page an INQUIRY asks for, or nullptr when the disk rejects the command.
const uint8_t* inquiry_page(const SimDisk* d, const DSM_SCSI_PASS_THROUGH64* h, uint32_t* length) {
    bool addressed = h->PathId == d->scsi_address[1] && h->TargetId == d->scsi_address[2] &&
                     h->Lun == d->scsi_address[3];
    if (!addressed || h->CdbLength != 6 || h->Cdb[0] != kScsiInquiry || (h->Cdb[1] & 1) == 0) return nullptr;
    if (h->Cdb[2] == 0x00 && !(d->reject & SIM_DISK_REJECT_00)) {
        *length = d->page_00_length;
        return d->page_00;
    }
    if (h->Cdb[2] == 0xD0 && !(d->reject & SIM_DISK_REJECT_D0)) {
        *length = d->page_d0_length;
        return d->page_d0;
    }
    return nullptr;
}

SimReply answer_pass_through(const SimDisk* d, const uint8_t* in, uint32_t in_len, uint8_t* out, uint32_t out_len) {
    DSM_SCSI_PASS_THROUGH64 h;
    if (in_len < sizeof h) return fail(kErrorInvalidParameter);
    memcpy(&h, in, sizeof h);
    if (h.Length != sizeof h || out_len < sizeof h) return fail(kErrorInvalidParameter);
    // The caller's buffer must hold the data and sense areas it names.
    uint64_t data_end = h.DataBufferOffset + uint64_t(h.DataTransferLength);
    uint64_t sense_end = uint64_t(h.SenseInfoOffset) + h.SenseInfoLength;
    if ((h.DataTransferLength > 0 && (h.DataBufferOffset < sizeof h || data_end > out_len)) ||
        (h.SenseInfoLength > 0 && (h.SenseInfoOffset < sizeof h || sense_end > out_len)))
        return fail(kErrorInvalidParameter);

    uint32_t page_length = 0;
    const uint8_t* page = h.DataIn == kScsiDataIn ? inquiry_page(d, &h, &page_length) : nullptr;
    uint32_t returned = sizeof h;
    if (page != nullptr) {
        uint32_t allocation = uint32_t(h.Cdb[3]) << 8 | h.Cdb[4];
        uint32_t n = page_length;
        if (n > allocation) n = allocation;
        if (n > h.DataTransferLength) n = h.DataTransferLength;
        memcpy(out + h.DataBufferOffset, page, n);
        h.ScsiStatus = 0;
        h.DataTransferLength = n;
        returned = uint32_t(h.DataBufferOffset) + n;
    } else {
        // Check condition, ILLEGAL REQUEST, invalid field in CDB.
        uint8_t sense[kSenseLength] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0, 0, 0, 0, 0};
        uint32_t n = h.SenseInfoLength < kSenseLength ? h.SenseInfoLength : kSenseLength;
        memcpy(out + h.SenseInfoOffset, sense, n);
        h.ScsiStatus = kScsiStatusCheckCondition;
        h.SenseInfoLength = uint8_t(n);
        h.DataTransferLength = 0;
        if (n > 0) returned = h.SenseInfoOffset + n;
    }
    memcpy(out, &h, sizeof h);
    return SimReply{0, returned};
}

// Disk numbers are unique (the scenario reader refuses a second one), and scenarios
// number their disks 1, 2, 3, ...: look where that puts the disk before walking.
SimDisk* find_disk(SimWorld* world, uint32_t number) {
    int32_t n = world->disks.count;
    if (n > SIM_MAX_DISKS) n = SIM_MAX_DISKS;
    if (number >= 1 && number <= uint32_t(n) && world->disks.disks[number - 1].number == number)
        return &world->disks.disks[number - 1];
    for (int32_t i = 0; i < n; i++)
        if (world->disks.disks[i].number == number) return &world->disks.disks[i];
    return nullptr;
}

void journal_handle(SimWorld* world, uint32_t code, uint32_t number, uint32_t error) {
    uint8_t in[4] = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
    sim_journal_record(world, code, in, sizeof in, 0, SimReply{error, 0});
}

// The error a handle operation's fault asks for (0: none), its use counted.
uint32_t handle_fault(SimWorld* world, uint32_t code, uint32_t number) {
    SimFault* f = sim_take_fault(world, code, int32_t(number), -1);
    if (f == nullptr) return 0;
    uint32_t error = f->error;
    sim_spend_fault(world, f);
    return error;
}

// The INQUIRY page a pass-through asks for (EVPD set), or -1 for any other command.
int32_t inquiry_page_code(const uint8_t* in, uint32_t in_len) {
    DSM_SCSI_PASS_THROUGH64 h;
    if (in_len < sizeof h) return -1;
    memcpy(&h, in, sizeof h);
    if (h.CdbLength < 6 || h.Cdb[0] != kScsiInquiry || (h.Cdb[1] & 1) == 0) return -1;
    return h.Cdb[2];
}

}  // namespace

const SimDisk* sim_disk_find(const SimWorld* world, uint32_t number) {
    return find_disk(const_cast<SimWorld*>(world), number);
}

uint32_t sim_disk_open(SimWorld* world, uint32_t number) {
    const SimDisk* d = find_disk(world, number);
    if (d == nullptr) return DSM_ERROR_FILE_NOT_FOUND;
    if (d->open_error != 0) return d->open_error;
    // A refused open never reaches a driver either, so it stays out of the journal.
    uint32_t error = handle_fault(world, SIM_CODE_DISK_OPEN, number);
    if (error == 0) journal_handle(world, SIM_CODE_DISK_OPEN, number, 0);
    return error;
}

uint32_t sim_disk_close(SimWorld* world, uint32_t number) {
    if (find_disk(world, number) == nullptr) return DSM_ERROR_FILE_NOT_FOUND;
    uint32_t error = handle_fault(world, SIM_CODE_DISK_CLOSE, number);
    journal_handle(world, SIM_CODE_DISK_CLOSE, number, error);
    return error;
}

bool sim_disk_open_refused(SimWorld* world, uint32_t number) {
    const SimDisk* d = find_disk(world, number);
    if (d == nullptr || d->open_error != 0) return true;
    int32_t n = world->fault_count > SIM_MAX_FAULTS ? SIM_MAX_FAULTS : world->fault_count;
    for (int32_t i = 0; i < n; i++) {
        SimFault* f = &world->faults[i];
        if (f->code != SIM_CODE_DISK_OPEN || f->error == 0 || f->after > 0) continue;
        if (f->slot >= 0 && uint32_t(f->slot) != number) continue;
        sim_spend_fault(world, f);
        return true;
    }
    return false;
}

SimReply sim_disk_answer(SimWorld* world, uint32_t number, uint32_t code, const void* in, uint32_t in_len,
                         void* out, uint32_t out_len) {
    const SimDisk* d = find_disk(world, number);
    if (d == nullptr) return fail(DSM_ERROR_FILE_NOT_FOUND);
    uint32_t in_copy = in_len < kScratchSize ? in_len : kScratchSize;
    if (in != nullptr && in_copy > 0) memcpy(g_disk_in, in, in_copy);
    uint32_t out_room = out_len < kScratchSize ? out_len : kScratchSize;
    memset(g_disk_out, 0, out_room);

    SimReply reply;
    bool too_long = in_len > kScratchSize || out_len > kScratchSize;
    int32_t page = code == IOCTL_SCSI_PASS_THROUGH ? inquiry_page_code(g_disk_in, in_copy) : -1;
    SimFault* fault = too_long ? nullptr : sim_take_fault(world, code, int32_t(number), page);
    if (too_long) {
        reply = fail(kErrorInvalidParameter);
    } else if (fault != nullptr && fault->error != 0) {
        reply = fail(fault->error);
    } else if (code == IOCTL_SCSI_GET_ADDRESS) {
        reply = d->address_error != 0 ? fail(d->address_error) : answer_address(d, g_disk_out, out_room);
    } else if (code == IOCTL_SCSI_PASS_THROUGH) {
        reply = d->pass_through_error != 0 ? fail(d->pass_through_error)
                                           : answer_pass_through(d, g_disk_in, in_copy, g_disk_out, out_room);
    } else {
        reply = fail(DSM_ERROR_INVALID_FUNCTION);
    }
    if (fault != nullptr) {
        if (reply.error == 0 && fault->reply_bytes >= 0 && uint32_t(fault->reply_bytes) < reply.returned)
            reply.returned = uint32_t(fault->reply_bytes);
        sim_spend_fault(world, fault);
    }
    if (reply.returned > out_room) reply.returned = out_room;
    sim_journal_record(world, code, g_disk_in, in_copy, out_len, reply);
    if (reply.error == 0 && out != nullptr) memcpy(out, g_disk_out, reply.returned);
    return reply;
}
