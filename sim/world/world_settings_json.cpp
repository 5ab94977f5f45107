// Reads and writes the scenario's "device_perf" list.
#include "world_settings_json.h"

#include "json_put.h"

using namespace json_values;

bool read_device_perf(Reader* r, const cJSON* list, SimSettings* settings) {
    if (!expect_list(r, Where{}, "device_perf", list, SIM_PERF_DEVICE_SLOTS, "slots")) return false;
    int i = 0;
    const cJSON* item;
    cJSON_ArrayForEach(item, list) {
        Where w = where_item("device_perf", i);
        int64_t slot = 0;
        if (!read_integer(r, w, nullptr, item, 0, SIM_PERF_DEVICE_SLOTS - 1, &slot)) return false;
        settings->device_perf[slot] = 1;
        i++;
    }
    return true;
}

void put_device_perf(TextOut* out, const SimSettings* settings) {
    json_key(out, "device_perf");
    json_begin(out, '[', false);
    for (int slot = 0; slot < SIM_PERF_DEVICE_SLOTS; slot++) {
        if (settings->device_perf[slot] == 0) continue;
        json_next(out);
        json_uint(out, uint64_t(slot));
    }
    json_end(out);
}
