#include "world_query_json.h"

#include "json_put.h"

using namespace json_values;
using namespace json_put;

namespace {

bool read_slot(Reader* r, const Where& w, const char* key, const cJSON* item, int32_t* slot) {
    int64_t n = 0;
    if (!read_integer(r, w, key, item, 0, SIM_MAX_DEVICES - 1, &n)) return false;
    *slot = int32_t(n);
    return true;
}

bool read_device_capacity(Reader* r, const Where& w, const cJSON* object, SimWorld* world) {
    const cJSON* slot_item = cJSON_GetObjectItemCaseSensitive(object, "slot");
    if (slot_item == nullptr) return fail(r, w, "slot", "missing");
    int32_t slot = 0;
    if (!read_slot(r, w, "slot", slot_item, &slot)) return false;
    SimCapacity* c = &world->query.capacity[slot];
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "slot")) ok = true;
        else if (is(key, "last_lba")) ok = read_u64(r, w, key, item, &c->last_lba);
        else if (is(key, "block_length")) ok = read_u32(r, w, key, item, &c->block_length);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_answer(Reader* r, const Where& w, const cJSON* object, SimCapacityAnswer* a) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        int64_t n = 0;
        if (is(key, "error")) ok = read_u32(r, w, key, item, &a->error);
        else if (is(key, "scsi_status")) {
            ok = read_integer(r, w, key, item, 0, 255, &n);
            a->scsi_status = uint8_t(n);
        } else if (is(key, "sense_key")) {
            ok = read_integer(r, w, key, item, 0, 15, &n);
            a->sense_key = uint8_t(n);
        } else if (is(key, "ten_byte_lba")) {
            if (cJSON_IsNull(item)) {
                a->ten_byte_given = 0;
                ok = true;
            } else {
                ok = read_u32(r, w, key, item, &a->ten_byte_lba);
                a->ten_byte_given = 1;
            }
        } else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_script(Reader* r, const Where& w, const cJSON* object, SimCapacityScript* s) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        int64_t n = 0;
        if (is(key, "slot")) ok = read_slot(r, w, key, item, &s->slot);
        else if (is(key, "path")) {
            ok = read_integer(r, w, key, item, 0, SIM_MAX_PATHS - 1, &n);
            s->path = int32_t(n);
        } else if (is(key, "used")) {
            ok = read_integer(r, w, key, item, 0, SIM_MAX_CAPACITY_ANSWERS, &n);
            s->used = int32_t(n);
        } else if (is(key, "answers")) {
            ok = expect_list(r, w, key, item, SIM_MAX_CAPACITY_ANSWERS, "answers");
            int i = 0;
            const cJSON* answer;
            cJSON_ArrayForEach(answer, item) {
                if (!ok) break;
                Where aw = where_nested(w, "answers", i);
                ok = expect_object(r, aw, nullptr, answer) && read_answer(r, aw, answer, &s->answers[i]);
                i++;
            }
            s->answer_count = i;
        } else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

bool read_capacity(Reader* r, const cJSON* object, SimWorld* world) {
    Where top{"capacity"};
    if (!expect_object(r, Where{}, "capacity", object)) return false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        if (is(key, "devices")) {
            if (!expect_list(r, top, key, item, SIM_MAX_DEVICES, "devices")) return false;
            int i = 0;
            const cJSON* device;
            cJSON_ArrayForEach(device, item) {
                Where w = where_nested(top, "devices", i++);
                if (!expect_object(r, w, nullptr, device) || !read_device_capacity(r, w, device, world)) return false;
            }
        } else if (is(key, "paths")) {
            if (!expect_list(r, top, key, item, SIM_MAX_CAPACITY_SCRIPTS, "paths")) return false;
            int i = 0;
            const cJSON* script;
            cJSON_ArrayForEach(script, item) {
                Where w = where_nested(top, "paths", i);
                if (!expect_object(r, w, nullptr, script) || !read_script(r, w, script, &world->query.scripts[i]))
                    return false;
                i++;
            }
            world->query.script_count = i;
        } else {
            return unknown_key(r, top, key);
        }
    }
    return true;
}

void put_capacity(TextOut* out, const SimWorld* world) {
    const SimQueryWorld* q = &world->query;
    json_key(out, "capacity");
    json_begin(out, '{', true);
    json_key(out, "devices");
    json_begin(out, '[', true);
    for (int i = 0; i < SIM_MAX_DEVICES; i++) {
        const SimCapacity* c = &q->capacity[i];
        if (c->last_lba == 0 && c->block_length == 0) continue;
        json_next(out);
        json_begin(out, '{', false);
        put_int(out, "slot", i);
        put_u64(out, "last_lba", c->last_lba);
        put_uint(out, "block_length", c->block_length);
        json_end(out);
    }
    json_end(out);
    json_key(out, "paths");
    json_begin(out, '[', true);
    int scripts = q->script_count < SIM_MAX_CAPACITY_SCRIPTS ? q->script_count : SIM_MAX_CAPACITY_SCRIPTS;
    for (int i = 0; i < scripts; i++) {
        const SimCapacityScript* s = &q->scripts[i];
        json_next(out);
        json_begin(out, '{', false);
        put_int(out, "slot", s->slot);
        put_int(out, "path", s->path);
        put_int(out, "used", s->used);
        json_key(out, "answers");
        json_begin(out, '[', false);
        int answers = s->answer_count < SIM_MAX_CAPACITY_ANSWERS ? s->answer_count : SIM_MAX_CAPACITY_ANSWERS;
        for (int k = 0; k < answers; k++) {
            const SimCapacityAnswer* a = &s->answers[k];
            json_next(out);
            json_begin(out, '{', false);
            put_uint(out, "error", a->error);
            put_uint(out, "scsi_status", a->scsi_status);
            put_uint(out, "sense_key", a->sense_key);
            if (a->ten_byte_given) put_uint(out, "ten_byte_lba", a->ten_byte_lba);
            else put_optional(out, "ten_byte_lba", -1);
            json_end(out);
        }
        json_end(out);
        json_end(out);
    }
    json_end(out);
    json_end(out);
}
