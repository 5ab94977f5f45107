#include "health_json.h"

void write_health_members(JsonWriter* w, const DeviceHealth* h, bool with_ports) {
    json_text(w, "verdict", verdict_word(h->verdict));
    json_int(w, "active_paths", h->active_paths);
    json_int(w, "failed_paths", h->failed_paths);
    json_int(w, "standby_paths", h->standby_paths);
    if (with_ports) json_int(w, "unknown_target_port_paths", h->unknown_target_paths);
    json_begin_array(w, "reasons");
    for (int32_t i = 0; i < h->reason_count; i++) {
        json_begin_object(w, nullptr);
        json_text(w, "kind", reason_kind_name(h->reasons[i].kind));
        json_text(w, "text", h->reasons[i].text);
        json_end_object(w);
    }
    json_end_array(w);
}
