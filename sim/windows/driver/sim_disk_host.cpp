// The C entry points of the test driver's disk devices over the hosted world.
#include "sim_disk_host.h"

#include "sim_model.h"

SimWorld* sim_host_world();

extern "C" int32_t sim_host_disk_count(void) {
    int32_t n = sim_host_world()->disks.count;
    return n < 0 ? 0 : n > SIM_MAX_DISKS ? SIM_MAX_DISKS : n;
}

extern "C" uint32_t sim_host_disk_number(int32_t index, int* openable) {
    const SimDisk* d = &sim_host_world()->disks.disks[index];
    *openable = d->open_error == 0;
    return d->number;
}

extern "C" uint32_t sim_host_disk_open(uint32_t number) { return sim_disk_open(sim_host_world(), number); }

extern "C" void sim_host_disk_close(uint32_t number) { sim_disk_close(sim_host_world(), number); }

extern "C" int sim_host_disk_open_faults(void) {
    const SimWorld* w = sim_host_world();
    for (int32_t i = 0; i < w->fault_count && i < SIM_MAX_FAULTS; i++)
        if (w->faults[i].code == SIM_CODE_DISK_OPEN) return 1;
    return 0;
}

extern "C" int sim_host_disk_open_refused(uint32_t number) {
    return sim_disk_open_refused(sim_host_world(), number) ? 1 : 0;
}

extern "C" uint32_t sim_host_disk_answer(uint32_t number, uint32_t code, void* buffer, uint32_t in_len,
                                         uint32_t out_len, uint32_t* returned) {
    SimReply reply = sim_disk_answer(sim_host_world(), number, code, buffer, in_len, buffer, out_len);
    *returned = reply.error == 0 && reply.returned <= out_len ? reply.returned : 0;
    return reply.error;
}
