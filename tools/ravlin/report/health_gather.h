// Health's reading for a presenter of its own (the metrics): opens the driver, runs
// the HBA tool once with -s, walks the slots with the reports' one sweep
// (sweep_devices) and judges each present device with health's engine, handing it
// to the presenter as it goes. The driver is closed again before this returns.
#pragma once

#include <stdint.h>

#include "dsm_interface.h"
#include "health_summary.h"
#include "health_verdict.h"

struct HealthGather {
    HealthOptions options;
    HealthSummary summary;              // totals of the devices judged so far
    const DSM_ADAPTER_TABLE* table;     // the adapter table read at open
    int32_t adapter_count;              // clamped to the table
    char why[128];                      // why health cannot be judged (gather_health false)
};

struct HealthPresenter {
    // Once the driver is open and the storage ports are known, before the first device.
    void (*begin)(void* context, const HealthGather* g);
    // One present device, judged.
    void (*device)(void* context, const HealthGather* g, int32_t slot, const DSM_DEVICE_RECORD* record,
                   const DeviceHealth* health);
    void* context;
};

// `flags` are query flags (QF_SCSI_ADDR, QF_TPGS). False when health cannot be
// judged (no driver, or a record read failed), with g->why set; the presenter may
// have seen some devices by then.
bool gather_health(uint32_t flags, HealthGather* g, const HealthPresenter& presenter);
