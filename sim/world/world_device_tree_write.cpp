// Writes the scenario's "device_tree" section in the form read_device_tree takes
// back, and the journal line of a property change.
#include <stdio.h>
#include <string.h>

#include "json_put.h"
#include "world_device_tree_json.h"

namespace {

using namespace json_put;

// A code as "0x..." text: configuration-manager codes and flags read best in hex.
void put_hex(TextOut* out, const char* key, uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%X", unsigned(value));
    put_text(out, key, text);
}

// One disk as an object of every key.
void put_disk(TextOut* out, const SimDiskInstance* d) {
    json_begin(out, '{', false);
    put_field(out, "instance_id", d->instance_id);
    put_uint(out, "id_error", d->id_error);
    put_uint(out, "change_error", d->change_error);
    put_uint(out, "params_error", d->params_error);
    put_hex(out, "install_flags", d->install_flags);
    put_flag(out, "disabled", d->disabled);
    // Written only when given, so worlds that do without them show as before.
    if (d->class_params_error != 0) put_uint(out, "class_params_error", d->class_params_error);
    if (d->disable_error != 0) put_uint(out, "disable_error", d->disable_error);
    if (d->enable_error != 0) put_uint(out, "enable_error", d->enable_error);
    if (d->global_enable_error != 0) put_uint(out, "global_enable_error", d->global_enable_error);
    if (d->disable_flags_given != 0) put_hex(out, "disable_install_flags", d->disable_install_flags);
    if (d->enable_flags_given != 0) put_hex(out, "enable_install_flags", d->enable_install_flags);
    json_end(out);
}

// Word i of a journalled property change (disk, state, scope); 0 when not kept.
uint32_t entry_word(const SimJournalEntry* e, int i) {
    uint32_t v = 0;
    if (e->head_len >= 4 * (i + 1)) memcpy(&v, e->head + 4 * i, 4);
    return v;
}

}  // namespace

void put_device_tree(TextOut* out, const SimDeviceTree* tree) {
    json_key(out, "device_tree");
    json_begin(out, '{', true);
    put_hex(out, "locate", tree->locate_result);
    put_hex(out, "reenumerate", tree->reenumerate_result);
    put_uint(out, "list_error", tree->list_error);
    put_uint(out, "reenumerate_count", tree->reenumerate_count);
    if (tree->journal_calls != 0) put_flag(out, "journal_calls", tree->journal_calls);
    json_key(out, "disks");
    json_begin(out, '[', true);
    int n = tree->disk_count < 0 ? 0 : tree->disk_count > SIM_MAX_DISK_INSTANCES ? SIM_MAX_DISK_INSTANCES
                                                                                 : int(tree->disk_count);
    for (int i = 0; i < n; i++) {
        json_next(out);
        put_disk(out, &tree->disks[i]);
    }
    json_end(out);
    json_end(out);
}

void put_property_change_entry(TextOut* out, const SimJournalEntry* e) {
    uint32_t state = entry_word(e, 1);
    uint32_t scope = entry_word(e, 2);
    const char* what = e->code == SIM_CODE_CLASS_PARAMS ? "class_install_params" : "property_change";
    out_format(out, "%s disk=%u state=", what, unsigned(entry_word(e, 0)));
    if (state == 1) out_text(out, "enable");
    else if (state == 2) out_text(out, "disable");
    else out_format(out, "%u", unsigned(state));
    out_text(out, " scope=");
    if (scope == 1) out_text(out, "global");
    else if (scope == 2) out_text(out, "config");
    else out_format(out, "%u", unsigned(scope));
    out_format(out, " -> error=%u\n", unsigned(e->error));
}
