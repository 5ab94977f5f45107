// Commands whose handlers this build does not have yet. They say so on standard
// error and fail, so that no script mistakes them for a done change.
#include <stdio.h>

#include "handlers.h"

namespace {

int32_t not_built(const char* command) {
    fprintf(stderr, "ravlin: '%s' is not available in this build\n", command);
    return kHandlerNotBuilt;
}

}  // namespace

int32_t show_versions(int) { return not_built("query version"); }
int32_t show_adapters(int32_t, uint32_t) { return not_built("query adapter"); }
int32_t parse_query_options(uint32_t*, int, const char* const*) { return not_built("query device/devstats"); }
int32_t list_devices(uint32_t, uint32_t) { return not_built("query device/devstats"); }
int32_t show_adapter_stats(int32_t, int32_t) { return not_built("query adaptstats"); }
int32_t get_retry_delay(const char*) { return not_built("query retrydelay"); }
int32_t set_retry_delay(const char*, int32_t) { return not_built("set retrydelay"); }
int32_t get_repeat(const char*) { return not_built("query repeats"); }
int32_t set_repeat(const char*, uint32_t, uint32_t) { return not_built("set repeat_error/repeat_interval"); }
int32_t set_performance(int32_t, int32_t) { return not_built("set performance"); }
int32_t clear_counters(int32_t, int32_t, const char*) { return not_built("clear device"); }
int32_t set_trace(const char*) { return not_built("@trace"); }
