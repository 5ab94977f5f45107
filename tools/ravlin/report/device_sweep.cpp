#include "device_sweep.h"

#include "control_device.h"
#include "device_fetch.h"

uint32_t sweep_device_fetches(bool with_preferred, FetchVisit visit, void* context, int32_t* failed_slot) {
    static DeviceFetch fetch;
    int32_t slots = g_connection.device_slot_count < 0 ? 0 : g_connection.device_slot_count;
    for (int32_t slot = 0; slot < slots; slot++) {
        uint32_t error = fetch_device(slot, IOCTL_DSM_GET_DEVICE_INFO, with_preferred, &fetch);
        if (error == DSM_ERROR_DEVICE_REMOVED || error == DSM_ERROR_FILE_NOT_FOUND) continue;
        if (error != 0 && fetch_status(&fetch, IOCTL_DSM_GET_DEVICE_INFO) == DSM_STATUS_INVALID_DEVICE) continue;
        if (error != 0) {
            *failed_slot = slot;
            return error;
        }
        visit(context, slot, &fetch);
    }
    return 0;
}

namespace {

struct RecordVisit {
    DeviceVisit visit;
    void* context;
};

void visit_record(void* context, int32_t slot, const DeviceFetch* fetch) {
    const RecordVisit* v = static_cast<const RecordVisit*>(context);
    v->visit(v->context, slot, &fetch->record);
}

}  // namespace

uint32_t sweep_devices(DeviceVisit visit, void* context, int32_t* failed_slot) {
    RecordVisit v{visit, context};
    return sweep_device_fetches(false, visit_record, &v, failed_slot);
}
