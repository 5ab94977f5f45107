// The statistics block of one device, as `query devstats` shows it.
#pragma once

#include "dsm_interface.h"

void print_device_stats(const DSM_DEVICE_STATS* stats);
