#include "sim_answer_parts.h"

SimDevice* sim_find_device(SimWorld* w, uint32_t number, uint8_t* out, SimReply* reply) {
    SimDevice* d = nullptr;
    if (number < uint32_t(SIM_MAX_DEVICES) && int32_t(number) < w->device_count) d = &w->devices[number];
    uint8_t state = d != nullptr ? d->slot_state : uint8_t(SIM_SLOT_ABSENT);
    switch (state) {
    case SIM_SLOT_PRESENT:
        return d;
    case SIM_SLOT_REMOVED:
        *reply = sim_fail(DSM_ERROR_DEVICE_REMOVED);
        return nullptr;
    case SIM_SLOT_INVALID:
        sim_put_u32(out, DSM_STATUS_INVALID_DEVICE);
        *reply = SimReply{0, 4};
        return nullptr;
    default:
        *reply = sim_fail(DSM_ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
}
