#include "health_gather.h"

#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "device_sweep.h"
#include "host_port_table.h"
#include "invocation_settings.h"

namespace {

constexpr char kNoDriver[] =
    "the driver did not answer: no control device, or its device count or adapter table could not be read";

int32_t clamp_count(int32_t count, int32_t max) { return count < 0 ? 0 : count > max ? max : count; }

}  // namespace

bool gather_health(uint32_t flags, HealthGather* g, const HealthPresenter& presenter) {
    memset(g, 0, sizeof *g);
    if (open_control_device() != 0) {
        snprintf(g->why, sizeof g->why, "%s", kNoDriver);
        return false;
    }
    g->table = &g_connection.adapter_table;
    g->adapter_count = clamp_count(g_connection.adapter_count, DSM_MAX_ADAPTERS);
    for (int32_t a = 0; a < g->adapter_count; a++) {
        const DSM_ADAPTER_ENTRY* e = &g->table->Adapters[a];
        if (!adapter_reported(e)) continue;
        g->summary.adapters_reported++;
        if (adapter_in_trouble(e)) g->summary.adapters_in_trouble++;
    }
    g->options = HealthOptions{(flags & QF_TPGS) != 0, nullptr};
    if ((flags & QF_SCSI_ADDR) != 0) {
        g->options.ports = host_ports_for_display();  // the HBA tool runs once for the whole check
        g->summary.with_ports = true;
    }
    if (presenter.begin != nullptr) presenter.begin(presenter.context, g);

    struct Judge {
        HealthGather* g;
        const HealthPresenter* presenter;
    } judge{g, &presenter};
    // The reports' one walk over the slots; each present device judged as it comes.
    auto visit = [](void* context, int32_t slot, const DSM_DEVICE_RECORD* record) {
        static DeviceHealth health;
        Judge* j = static_cast<Judge*>(context);
        judge_device(record, j->g->table, j->g->adapter_count, j->g->options, &health);
        add_device_health(&j->g->summary, &health);
        j->presenter->device(j->presenter->context, j->g, slot, record, &health);
    };
    int32_t failed_slot = 0;
    uint32_t error = sweep_devices(visit, &judge, &failed_slot);
    if (error != 0) {
        close_control_device();
        snprintf(g->why, sizeof g->why, "device %d could not be read (error %u)", int(failed_slot), unsigned(error));
        return false;
    }
    close_control_device();
    return true;
}
