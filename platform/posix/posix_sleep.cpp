// Sleeping on POSIX: the whole interval, even when a signal interrupts it.
#include <errno.h>
#include <time.h>

#include "platform.h"

void platform_sleep_ms(uint32_t milliseconds) {
    struct timespec left = {time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
