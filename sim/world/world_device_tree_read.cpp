// Reads the scenario's "device_tree" section, every value checked against its field.
#include "world_device_tree_json.h"

namespace {

using namespace json_values;

bool read_disk(Reader* r, const Where& w, const cJSON* object, SimDiskInstance* d) {
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "instance_id")) ok = read_field(r, w, key, item, d->instance_id);
        else if (is(key, "id_error")) ok = read_u32(r, w, key, item, &d->id_error);
        else if (is(key, "change_error")) ok = read_u32(r, w, key, item, &d->change_error);
        else if (is(key, "params_error")) ok = read_u32(r, w, key, item, &d->params_error);
        else if (is(key, "install_flags")) ok = read_u32(r, w, key, item, &d->install_flags);
        else if (is(key, "disabled")) ok = read_flag(r, w, key, item, 1, &d->disabled);
        else if (is(key, "class_params_error")) ok = read_u32(r, w, key, item, &d->class_params_error);
        else if (is(key, "disable_error")) ok = read_u32(r, w, key, item, &d->disable_error);
        else if (is(key, "enable_error")) ok = read_u32(r, w, key, item, &d->enable_error);
        else if (is(key, "global_enable_error")) ok = read_u32(r, w, key, item, &d->global_enable_error);
        else if (is(key, "disable_install_flags")) {
            ok = read_u32(r, w, key, item, &d->disable_install_flags);
            d->disable_flags_given = 1;
        } else if (is(key, "enable_install_flags")) {
            ok = read_u32(r, w, key, item, &d->enable_install_flags);
            d->enable_flags_given = 1;
        } else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}

bool read_disks(Reader* r, const Where& w, const cJSON* list, SimDeviceTree* tree) {
    if (!expect_list(r, w, "disks", list, SIM_MAX_DISK_INSTANCES, "disks")) return false;
    int i = 0;
    const cJSON* object;
    cJSON_ArrayForEach(object, list) {
        Where dw = where_nested(w, "disks", i);
        if (!expect_object(r, dw, nullptr, object) || !read_disk(r, dw, object, &tree->disks[i])) return false;
        i++;
    }
    tree->disk_count = i;
    return true;
}

}  // namespace

bool read_device_tree(Reader* r, const cJSON* object, SimDeviceTree* tree) {
    Where w{"device_tree"};
    if (!expect_object(r, Where{}, "device_tree", object)) return false;
    const cJSON* item;
    cJSON_ArrayForEach(item, object) {
        const char* key = item->string;
        bool ok;
        if (is(key, "locate")) ok = read_u32(r, w, key, item, &tree->locate_result);
        else if (is(key, "reenumerate")) ok = read_u32(r, w, key, item, &tree->reenumerate_result);
        else if (is(key, "list_error")) ok = read_u32(r, w, key, item, &tree->list_error);
        else if (is(key, "reenumerate_count")) ok = read_u32(r, w, key, item, &tree->reenumerate_count);
        else if (is(key, "journal_calls")) ok = read_flag(r, w, key, item, 1, &tree->journal_calls);
        else if (is(key, "disks")) ok = read_disks(r, w, item, tree);
        else ok = unknown_key(r, w, key);
        if (!ok) return false;
    }
    return true;
}
