// The simulated driver's answers to the adapter statistics request and to the
// small configuration requests: counter reset, performance collection, trace
// mask, and the per-model retry and repeat values.
#pragma once

#include <stdint.h>

#include "sim_model.h"

// The `Status` an unknown device model is answered with (the request itself succeeds).
constexpr uint32_t SIM_STATUS_UNKNOWN_MODEL = 1;

// IOCTL_DSM_GET_ADAPTER_STATS: the statistics of the n-th adapter of the active
// table; a number past that table fails with DSM_ERROR_INVALID_PARAMETER.
SimReply sim_answer_adapter_stats(const SimWorld* w, const uint8_t* in, uint32_t in_len, uint8_t* out,
                                  uint32_t out_len);

// The configuration requests: IOCTL_DSM_CLEAR_COUNTERS, _SET_PERF, _SET_DEVICE_PERF,
// _SET_TRACE, _GET_/_SET_RETRY_DELAY and _GET_/_SET_REPEAT. Changes the world as
// the driver would and answers with the full record.
SimReply sim_answer_setting(SimWorld* w, uint32_t code, const uint8_t* in, uint32_t in_len, uint8_t* out,
                            uint32_t out_len);
