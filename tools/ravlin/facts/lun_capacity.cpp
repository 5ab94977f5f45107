// The LUN capacity: READ CAPACITY sent down the device's open paths through the
// driver's pass-through, with the retries a busy or just-changed LUN needs.
#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "device_facts.h"

namespace {

constexpr uint32_t kErrorRevisionMismatch = 1306;
constexpr uint32_t kDataOffset = offsetof(DSM_PASS_THROUGH_REQUEST, Data);
constexpr uint32_t kSenseOffset = offsetof(DSM_PASS_THROUGH_REQUEST, Sense);
constexpr int kAttempts = 3;

uint64_t read_be(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; i++) v = v << 8 | p[i];
    return v;
}

void fill_request(DSM_PASS_THROUGH_REQUEST* q, uint32_t device, uint32_t path, bool sixteen) {
    memset(q, 0, sizeof *q);
    q->DeviceNumber = device;
    q->PathNumber = path;
    DSM_SCSI_PASS_THROUGH64* s = &q->Spt;
    s->Length = sizeof *s;
    s->SenseInfoLength = sizeof q->Sense;
    s->DataIn = 1;
    s->TimeOutValue = 5;
    s->DataBufferOffset = kDataOffset;
    s->SenseInfoOffset = kSenseOffset;
    if (sixteen) {
        s->Cdb[0] = 0x9E;
        s->Cdb[1] = 0x10;
        s->Cdb[13] = 12;
        s->CdbLength = 16;
        s->DataTransferLength = 12;
    } else {
        s->Cdb[0] = 0x25;
        s->CdbLength = 10;
        s->DataTransferLength = 8;
    }
}

}  // namespace

void format_lun_size(uint64_t last_lba, uint32_t block_length, char* out, unsigned size) {
    uint64_t bytes = (last_lba + 1) * uint64_t(block_length);
    uint64_t kib = bytes >> 10;
    double gib = double(kib) / 1048576.0;
    if (gib < 1.0) {
        uint64_t mib = kib >> 10;
        if (mib >= 1) snprintf(out, size, "%lluMB", (unsigned long long)mib);
        else snprintf(out, size, "%lluKB", (unsigned long long)kib);
        return;
    }
    double tib = gib / 1024.0;
    if (tib < 1.0) snprintf(out, size, "%4.1fGB", gib);
    else snprintf(out, size, "%4.1fTB", tib);
}

void read_lun_capacity(const DSM_DEVICE_RECORD* record, LunCapacity* c) {
    memset(c, 0, sizeof *c);
    if (record->PathCount == 0) {
        c->no_paths = true;
        return;
    }
    uint32_t paths = record->PathCount < uint32_t(DSM_MAX_PATHS) ? record->PathCount : uint32_t(DSM_MAX_PATHS);
    uint64_t last_lba = 0;
    uint32_t block_length = 0;
    int32_t failure = 0;
    bool refused = false;
    bool sixteen_byte = false;  // once on, it stays on for the remaining paths
    static DSM_PASS_THROUGH_REQUEST q;
    for (uint32_t i = 0; i < paths; i++) {
        if (last_lba != 0) break;
        if (record->Paths[i].State != DSM_PATH_OPEN) continue;
        for (int attempt = 0; attempt < kAttempts; attempt++) {
            failure = 0;
            refused = false;
            uint32_t last_error = 0;
            bool sixteen = record->ScsiLevel == 4 || record->ScsiLevel == 5 || sixteen_byte;
            fill_request(&q, record->DeviceNumber, i, sixteen);
            uint32_t data_length = q.Spt.DataTransferLength;
            uint32_t returned = 0;
            if (!platform_device_control(g_connection.device_handle, IOCTL_DSM_READ_CAPACITY, &q, sizeof q, &q,
                                         kDataOffset + data_length, &returned)) {
                failure = -1;
                last_error = platform_last_error();
                memset(q.Data, 0, sizeof q.Data);
            } else {
                uint8_t status = q.Spt.ScsiStatus;
                if (status == 0x02 || status == 0x08 || status == 0x28) continue;
                if ((q.Sense[0] & 0x80) != 0 && (q.Sense[2] & 0x0F) == 6) continue;
                if (status != 0) {
                    // One refusal per path at most, so the table cannot overflow.
                    c->statuses[c->status_count++] = status;
                    failure = -1;
                    refused = true;
                    break;
                }
                // Bytes the driver did not return read as zero.
                if (returned < kDataOffset + data_length) {
                    uint32_t kept = returned > kDataOffset ? returned - kDataOffset : 0;
                    memset(q.Data + kept, 0, sizeof q.Data - kept);
                }
            }
            if (sixteen) {
                last_lba = read_be(q.Data, 8);
                block_length = uint32_t(read_be(q.Data + 8, 4));
                break;
            }
            last_lba = read_be(q.Data, 4);
            block_length = uint32_t(read_be(q.Data + 4, 4));
            if (last_lba == 0xFFFFFFFFu || last_error == kErrorRevisionMismatch || last_lba == 0) {
                // Too large (or unknown) for the 10-byte answer: never a size of its own.
                last_lba = 0;
                sixteen_byte = true;
                continue;
            }
            break;
        }
    }
    c->failure = failure;
    c->refused = failure != 0 && refused;
    c->last_lba = last_lba;
    c->block_length = block_length;
}
