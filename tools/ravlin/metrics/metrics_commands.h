// The command handler the metrics layer serves.
#pragma once

#include <stdint.h>

// query metrics [-s] [-tpgs] [-o FILE]: opens the driver itself. flags: QF_SCSI_ADDR,
// QF_TPGS; `output_path` null for stdout. Returns health's status (0..3), or 3 when
// the file could not be written.
int32_t query_metrics(uint32_t flags, const char* output_path);
