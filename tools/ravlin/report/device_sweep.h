// The reports' reading of the devices: every slot's device record, once, in slot
// order (health and what-if: with no disk, capacity or preferred-path request;
// the diff's live side: each with its preferred path first, as the listing reads).
#pragma once

#include <stdint.h>

#include "device_fetch.h"
#include "dsm_interface.h"

// Called for each present device; the record is valid only during the call.
using DeviceVisit = void (*)(void* context, int32_t slot, const DSM_DEVICE_RECORD* record);

// Reads the record of every slot the driver counted at open and hands each present
// device to `visit`; removed, absent and invalid slots are passed over. 0 when
// every read succeeded; otherwise the failed read's system error, its slot in
// *failed_slot, and no slot after it read.
uint32_t sweep_devices(DeviceVisit visit, void* context, int32_t* failed_slot);

// The same walk with the preferred path asked for first when `with_preferred`;
// `visit` gets the whole fetch (valid only during the call).
using FetchVisit = void (*)(void* context, int32_t slot, const DeviceFetch* fetch);
uint32_t sweep_device_fetches(bool with_preferred, FetchVisit visit, void* context, int32_t* failed_slot);
