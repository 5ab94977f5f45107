// The last-error slot of the POSIX platform layer (Windows error codes).
#pragma once

#include <stdint.h>

void posix_set_last_error(uint32_t error);
