// The journal as text lines, for people and for the program-level test cases.
#include <stdio.h>

#include "text_out.h"
#include "sim_model.h"
#include "world_device_tree_json.h"
#include "world_json.h"

namespace {

void put_entry(TextOut* out, const SimJournalEntry* e) {
    if (e->code == SIM_CODE_PROPERTY_CHANGE || e->code == SIM_CODE_CLASS_PARAMS)
        return put_property_change_entry(out, e);
    const char* name = sim_request_name(e->code);
    char hex_name[16];
    if (name == nullptr) {
        snprintf(hex_name, sizeof hex_name, "0x%08X", unsigned(e->code));
        name = hex_name;
    }
    out_text(out, name);
    // Handle operations carry no buffers: only their outcome is worth a word.
    if (e->code == SIM_CODE_OPEN || e->code == SIM_CODE_CLOSE || e->code == SIM_CODE_LOCATE_ROOT ||
        e->code == SIM_CODE_REENUMERATE) {
        out_format(out, " -> error=%u\n", unsigned(e->error));
        return;
    }
    out_format(out, " in=%u out=%u data=", unsigned(e->in_len), unsigned(e->out_len));
    // Records are zero-filled before the input fields are set: the bytes up to the
    // last nonzero one say everything that was sent.
    uint32_t n = e->head_len < uint32_t(SIM_JOURNAL_HEAD) ? e->head_len : uint32_t(SIM_JOURNAL_HEAD);
    while (n > 0 && e->head[n - 1] == 0) n--;
    static const char kHex[] = "0123456789abcdef";
    char hex[2 * SIM_JOURNAL_HEAD + 2];
    for (uint32_t i = 0; i < n; i++) {
        hex[2 * i] = kHex[e->head[i] >> 4];
        hex[2 * i + 1] = kHex[e->head[i] & 15];
    }
    out_bytes(out, hex, 2 * n);
    if (e->tail_nonzero) out_text(out, "+");
    out_format(out, " -> error=%u returned=%u\n", unsigned(e->error), unsigned(e->returned));
}

}  // namespace

char* journal_to_text(const SimWorld* world) {
    TextOut out = {};
    uint32_t kept = sim_journal_kept(world);
    for (uint32_t i = 0; i < kept; i++) put_entry(&out, sim_journal_entry(world, i));
    return out_finish(&out);
}
