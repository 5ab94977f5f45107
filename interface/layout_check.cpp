// Compiles the interface header on its own so that every toolchain checks the
// record layouts, including builds that link nothing else of it.
#include "dsm_interface.h"
#include "scsi_disk.h"
