// Reads and writes the scenario's "preserve_access" section.
#include "json_put.h"
#include "world_state_json.h"

using namespace json_values;

bool read_preserve_access(Reader* r, const cJSON* object, SimPreserveAccess* p) {
    Where w{"preserve_access"};
    if (!expect_object(r, Where{}, "preserve_access", object)) return false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (!is(key, "error")) return unknown_key(r, w, key);
        if (!read_u32(r, w, key, item, &p->error)) return false;
    }
    return true;
}

void put_preserve_access(TextOut* out, const SimPreserveAccess* p) {
    json_key(out, "preserve_access");
    json_begin(out, '{', false);
    json_put::put_uint(out, "error", p->error);
    json_end(out);
}
