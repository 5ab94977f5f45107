#include "platform.h"
#include "posix_error.h"

namespace {
thread_local uint32_t t_last_error = 0;
}

void posix_set_last_error(uint32_t error) { t_last_error = error; }

uint32_t platform_last_error() { return t_last_error; }
