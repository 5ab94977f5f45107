// The commands the host layer serves: the HBA tool's tables and the hardware rescan.
// Each prints its own messages and returns the run's result.
#pragma once

#include <stdint.h>

int32_t query_wwpn();
int32_t query_port();
int32_t rescan_hardware(const char* count_word);
