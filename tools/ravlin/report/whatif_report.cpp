// Output is collected first, so that a what-if that cannot finish prints only why,
// and a safe -ifsafe prints nothing of it.
#include "whatif_report.h"

#include <stdio.h>

#include <string>

#include "control_device.h"
#include "device_sweep.h"
#include "document_start.h"
#include "dsm_texts.h"
#include "error_document.h"
#include "health_json.h"
#include "output_policy.h"
#include "report_output.h"
#include "report_text.h"

namespace {

constexpr char kNoDriver[] =
    "the driver did not answer: no control device, or its device count or adapter table could not be read";

struct WhatIfRun {
    const PlannedChange* change;
    bool json;
    HealthOptions options;
    const DSM_ADAPTER_TABLE* table_now;
    DSM_ADAPTER_TABLE table_after;
    int32_t adapter_count;
    WhatIfSummary summary;
    std::string text;      // the device lines (text form)
    std::string document;  // the document so far (JSON form)
    JsonWriter writer;
};

void add_json_device(WhatIfRun* run, int32_t slot, const DSM_DEVICE_RECORD* r, const DeviceOutlook* o) {
    JsonWriter* w = &run->writer;
    json_begin_object(w, nullptr);
    json_int(w, "number", slot);
    json_text(w, "display_name", device_display_name(r->DeviceName, sizeof r->DeviceName));
    json_field(w, "serial", r->SerialNumber, sizeof r->SerialNumber);
    json_int(w, "paths_through", o->paths_taken);
    json_bool(w, "worse", outlook_worse(o));
    json_bool(w, "loses_access", outlook_loses_access(o));
    json_begin_object(w, "before");
    write_health_members(w, &o->before, false);
    json_end_object(w);
    json_begin_object(w, "after");
    write_health_members(w, &o->after, false);
    json_end_object(w);
    json_end_object(w);
}

void foresee_one(void* context, int32_t slot, const DSM_DEVICE_RECORD* r) {
    WhatIfRun* run = static_cast<WhatIfRun*>(context);
    static DeviceOutlook outlook;
    foresee_device(r, slot, run->table_now, &run->table_after, run->adapter_count, run->change, run->options,
                   &outlook);
    add_outlook(&run->summary, &outlook);
    if (outlook.paths_taken == 0) return;
    if (run->json) {
        add_json_device(run, slot, r, &outlook);
        return;
    }
    char serial[sizeof r->SerialNumber + 1];
    report_text(r->SerialNumber, sizeof r->SerialNumber, serial, sizeof serial);
    static char line[kHealthReasonMax * kHealthReasonTextSize + 512];
    format_outlook_line(slot, device_display_name(r->DeviceName, sizeof r->DeviceName), serial, &outlook, line,
                        sizeof line);
    run->text += line;
    run->text += '\n';
}

void begin_json(WhatIfRun* run, const char* change_text) {
    JsonWriter* w = &run->writer;
    const PlannedChange* c = run->change;
    begin_document(w, string_sink(&run->document), "whatif");
    json_begin_object(w, "change");
    json_text(w, "command", change_text);
    if (c->target == ChangeTarget::Adapter) {
        json_text(w, "target", "adapter");
        json_int(w, "adapter", c->adapter);
        json_field(w, "adapter_name", c->adapter_name, sizeof c->adapter_name);
    } else {
        json_text(w, "target", "path");
        json_int(w, "device", c->device);
        json_int(w, "path", c->path);
    }
    json_end_object(w);
    json_bool(w, "tpgs", run->options.tpgs);
    json_begin_array(w, "devices");
}

void finish_json(WhatIfRun* run) {
    JsonWriter* w = &run->writer;
    const WhatIfSummary* s = &run->summary;
    HealthStatus status = whatif_status(s);
    json_end_array(w);  // devices
    json_begin_object(w, "summary");
    json_text(w, "status", status_word(status));
    json_int(w, "exit_status", int32_t(status));
    json_int(w, "devices", s->devices);
    json_int(w, "affected", s->affected);
    json_int(w, "unaffected", s->devices - s->affected);
    json_int(w, "worse", s->worse);
    json_int(w, "lose_access", s->lose_access);
    json_int(w, "down", s->down);
    json_int(w, "spof", s->spof);
    json_int(w, "degraded", s->degraded);
    json_int(w, "no_optimized", s->no_optimized);
    json_end_object(w);
    end_document(w);
    write_out(run->document.data(), run->document.size());
}

int32_t report_unknown(bool json, const char* why) { return report_unknown_verdict(json, "WHATIF", why); }

}  // namespace

int32_t report_whatif_without_driver(bool json) { return report_unknown(json, kNoDriver); }

int32_t foresee_change(const PlannedChange* change, const ChangeGuard& guard) {
    static WhatIfRun run;
    run.change = change;
    run.json = guard.json;
    run.options = HealthOptions{guard.tpgs, nullptr};
    run.table_now = &g_connection.adapter_table;
    run.adapter_count = g_connection.adapter_count;
    table_after_change(run.table_now, run.adapter_count, change, &run.table_after);

    char change_text[64];
    describe_change(change, change_text, sizeof change_text);
    if (run.json) begin_json(&run, change_text);

    int32_t failed_slot = 0;
    uint32_t error = sweep_devices(foresee_one, &run, &failed_slot);
    if (error != 0) {
        char why[96];
        snprintf(why, sizeof why, "device %d could not be read (error %u)", int(failed_slot), unsigned(error));
        return report_unknown(guard.json, why);
    }

    HealthStatus status = whatif_status(&run.summary);
    if (status == HealthStatus::Ok && guard.apply_if_safe) return 0;
    if (run.json) {
        finish_json(&run);
    } else {
        char first[512];
        format_whatif_summary(&run.summary, change_text, first, sizeof first);
        print_out("%s\n", first);
        write_out(run.text.data(), run.text.size());
    }
    return int32_t(status);
}
