// The reports; each opens the driver itself and prints its own documents.
// flags: QF_SCSI_ADDR, QF_TPGS.
#pragma once

#include <stdint.h>

int32_t query_health(uint32_t flags, bool json);
int32_t query_diff(const char* file, bool json);
