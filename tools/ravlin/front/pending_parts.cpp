// Parts that other commands call and that this build does not have yet. Each does
// nothing and fails where it can, so a caller behaves as it would on a failed read.
// An entry goes when its part is built.
#include "device_listing.h"
int32_t show_device(uint32_t, uint32_t) { return -1; }
