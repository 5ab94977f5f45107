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

int32_t parse_query_options(uint32_t*, int, const char* const*) { return not_built("query device/devstats"); }
int32_t list_devices(uint32_t, uint32_t) { return not_built("query device/devstats"); }
