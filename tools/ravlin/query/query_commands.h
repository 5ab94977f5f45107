// The query commands: listings of adapters, devices and versions in the run's
// output mode. Each prints its own messages and returns the run's result.
#pragma once

#include <stdint.h>

int32_t show_versions(int build_number_flag);
int32_t show_adapters(int32_t adapter, uint32_t adapter_flags);
int32_t list_devices(uint32_t query_flags, uint32_t request_code);
int32_t show_adapter_stats(int32_t adapter, int32_t one_adapter);
