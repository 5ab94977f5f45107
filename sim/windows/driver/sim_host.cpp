// The one simulated world of the test driver, and the C entry points over it.
// Built freestanding like the model itself: no heap, no library beyond mem*.
#include "sim_host.h"

#include <string.h>

#include "sim_hba.h"
#include "sim_model.h"
#include "sim_tree_call.h"

namespace {

SimWorld g_world;  // about 5 MB of .bss; lives as long as the driver

int32_t clamp(int32_t value, int32_t limit) {
    if (value < 0) return 0;
    return value > limit ? limit : value;
}

// The model indexes its tables with these counts; a world sent by a program
// must not make it reach past them.
void clamp_counts(SimWorld* w) {
    w->device_count = clamp(w->device_count, SIM_MAX_DEVICES);
    w->adapter_count = clamp(w->adapter_count, SIM_MAX_ADAPTERS);
    w->model_count = clamp(w->model_count, SIM_MAX_MODELS);
    w->fault_count = clamp(w->fault_count, SIM_MAX_FAULTS);
    w->hba.adapter_count = clamp(w->hba.adapter_count, SIM_HBA_MAX_ADAPTERS);
    for (SimHbaAdapter& a : w->hba.adapters) {
        a.port_count = clamp(a.port_count, SIM_HBA_MAX_PORTS);
        for (SimHbaPort& p : a.ports) p.discovered_count = clamp(p.discovered_count, SIM_HBA_MAX_DISCOVERED);
    }
    w->disks.count = clamp(w->disks.count, SIM_MAX_DISKS);
    for (SimDevice& d : w->devices)
        if (d.path_count > uint32_t(SIM_MAX_PATHS)) d.path_count = SIM_MAX_PATHS;
}

}  // namespace

// The hosted world, for the disk devices' entry points (sim_disk_host.cpp).
SimWorld* sim_host_world() { return &g_world; }

extern "C" void sim_host_reset(void) { sim_world_clear(&g_world); }

extern "C" uint32_t sim_host_open(void) { return sim_open(&g_world); }

extern "C" uint32_t sim_host_close(void) { return sim_close(&g_world); }

extern "C" uint32_t sim_host_answer(uint32_t code, void* buffer, uint32_t in_len, uint32_t out_len,
                                    uint32_t* returned) {
    SimReply reply = sim_answer(&g_world, code, buffer, in_len, buffer, out_len);
    *returned = reply.returned <= out_len ? reply.returned : 0;
    return reply.error;
}

extern "C" int sim_host_driver_loaded(void) { return g_world.driver_loaded != 0; }

extern "C" uint32_t sim_host_world_size(void) { return uint32_t(sizeof g_world); }

extern "C" uint32_t sim_host_load(const void* data, uint32_t length) {
    if (length != sizeof g_world) return DSM_ERROR_BAD_LENGTH;
    memcpy(&g_world, data, sizeof g_world);
    clamp_counts(&g_world);
    return 0;
}

extern "C" uint32_t sim_host_save(void* out, uint32_t room) {
    if (room != sizeof g_world) return DSM_ERROR_BAD_LENGTH;
    memcpy(out, &g_world, sizeof g_world);
    return 0;
}

extern "C" uint32_t sim_host_hba_size(void) { return uint32_t(sizeof(SimHbaSnapshot)); }

extern "C" uint32_t sim_host_hba_snapshot(void* out, uint32_t room) {
    if (room != sizeof(SimHbaSnapshot)) return DSM_ERROR_BAD_LENGTH;
    sim_hba_snapshot(&g_world, static_cast<SimHbaSnapshot*>(out));
    return 0;
}

extern "C" uint32_t sim_host_tree_call(void* record, uint32_t length) {
    if (length != sizeof(SimTreeCall)) return DSM_ERROR_BAD_LENGTH;
    sim_tree_call(&g_world, static_cast<SimTreeCall*>(record));
    return 0;
}
