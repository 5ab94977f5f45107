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
int32_t query_wwpn() { return not_built("query wwpn"); }
int32_t query_port() { return not_built("query port"); }
int32_t show_adapters(int32_t, uint32_t) { return not_built("query adapter"); }
int32_t show_adapter_stats(int32_t, int32_t) { return not_built("query adaptstats"); }
int32_t show_ess_map() { return not_built("query essmap"); }
int32_t show_port_map() { return not_built("query portmap"); }
int32_t get_retry_delay(const char*) { return not_built("query retrydelay"); }
int32_t set_retry_delay(const char*, int32_t) { return not_built("set retrydelay"); }
int32_t get_repeat(const char*) { return not_built("query repeats"); }
int32_t set_repeat(const char*, uint32_t, uint32_t) { return not_built("set repeat_error/repeat_interval"); }
int32_t set_adapter_state(int32_t, const char*, int32_t) { return not_built("set adapter"); }
int32_t set_path_state(uint32_t, int32_t, const char*, int32_t) { return not_built("set device path"); }
int32_t set_preferred_path(uint32_t, uint32_t, int32_t) { return not_built("set device path preferred"); }
int32_t set_policy(int32_t, int32_t, const char*, const char*) { return not_built("set device policy"); }
int32_t set_performance(int32_t, int32_t) { return not_built("set performance"); }
int32_t set_port_state(const char*, const char*, const char*) { return not_built("disable/enable ports"); }
int32_t clear_counters(int32_t, int32_t, const char*) { return not_built("clear device"); }
int32_t set_trace(const char*) { return not_built("@trace"); }
