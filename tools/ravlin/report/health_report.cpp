// query health: every present device judged for redundancy from its device record
// and the adapter table, reported in the monitoring-plugin convention (or as one
// JSON document). One device request per slot; no disk, capacity or cache access.
// Output is collected first, so that a check that cannot finish prints only why.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "control_device.h"
#include "device_sweep.h"
#include "document_start.h"
#include "dsm_texts.h"
#include "health_json.h"
#include "report_commands.h"
#include "health_summary.h"
#include "health_verdict.h"
#include "host_port_table.h"
#include "invocation_settings.h"
#include "output_policy.h"
#include "error_document.h"
#include "report_output.h"
#include "report_text.h"

namespace {

constexpr size_t kNameSize = sizeof(DSM_ADAPTER_ENTRY{}.AdapterName);
constexpr char kNoDriver[] =
    "the driver did not answer: no control device, or its device count or adapter table could not be read";

// The device numbers that have a path through each reported adapter.
struct AdapterDependents {
    int32_t count;                    // reported adapters
    int32_t index[DSM_MAX_ADAPTERS];  // their positions in the adapter table
    std::vector<int32_t> devices[DSM_MAX_ADAPTERS];
};

struct HealthRun {
    bool json;
    HealthSummary summary;
    AdapterDependents dependents;
    std::string text;     // the device lines (text form)
    std::string document; // the document so far (JSON form)
    JsonWriter writer;
};

int32_t clamp_count(int32_t count, int32_t max) { return count < 0 ? 0 : count > max ? max : count; }

void note_dependents(AdapterDependents* d, const DSM_ADAPTER_TABLE* table, const DSM_DEVICE_RECORD* r,
                     int32_t slot) {
    uint32_t paths = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    for (int32_t a = 0; a < d->count; a++) {
        const char* name = table->Adapters[d->index[a]].AdapterName;
        for (uint32_t i = 0; i < paths; i++)
            if (same_adapter_name(r->Paths[i].AdapterName, name)) {
                d->devices[a].push_back(slot);
                break;
            }
    }
}

void add_device(HealthRun* run, int32_t slot, const DSM_DEVICE_RECORD* r, const DeviceHealth* h) {
    const char* display_name = device_display_name(r->DeviceName, sizeof r->DeviceName);
    if (run->json) {
        JsonWriter* w = &run->writer;
        json_begin_object(w, nullptr);
        json_int(w, "number", slot);
        json_text(w, "display_name", display_name);
        json_field(w, "serial", r->SerialNumber, sizeof r->SerialNumber);
        write_health_members(w, h, run->summary.with_ports);
        json_end_object(w);
        return;
    }
    if (h->verdict == HealthVerdict::Ok) return;
    char serial[sizeof r->SerialNumber + 1];
    report_text(r->SerialNumber, sizeof r->SerialNumber, serial, sizeof serial);
    char line[kHealthReasonMax * kHealthReasonTextSize + 256];
    format_device_line(slot, display_name, serial, h, line, sizeof line);
    run->text += line;
    run->text += '\n';
}

void print_text(HealthRun* run, const DSM_ADAPTER_TABLE* table) {
    char first[512];
    format_health_summary(&run->summary, first, sizeof first);
    print_out("%s\n", first);
    write_out(run->text.data(), run->text.size());
    const AdapterDependents* d = &run->dependents;
    for (int32_t a = 0; a < d->count; a++) {
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[d->index[a]];
        char name[kNameSize + 1];
        report_text(e->AdapterName, kNameSize, name, sizeof name);
        print_out("ADAPTER %d %s: state %s, mode %s", int(d->index[a]), name, adapter_state_text(e->State).text,
               adapter_mode_text(e->Mode).text);
        const std::vector<int32_t>& devices = d->devices[a];
        if (devices.empty()) {
            print_out("; no device depends on it\n");
            continue;
        }
        bool one = devices.size() == 1;
        print_out("; %d device%s depend%s on it:", int(devices.size()), one ? "" : "s", one ? "s" : "");
        for (int32_t slot : devices) print_out(" %d", int(slot));
        print_out("\n");
    }
}

void finish_json(HealthRun* run, const DSM_ADAPTER_TABLE* table) {
    JsonWriter* w = &run->writer;
    const HealthSummary* s = &run->summary;
    json_end_array(w);  // devices
    json_begin_array(w, "adapters");
    const AdapterDependents* d = &run->dependents;
    for (int32_t a = 0; a < d->count; a++) {
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[d->index[a]];
        json_begin_object(w, nullptr);
        json_int(w, "number", d->index[a]);
        json_field(w, "name", e->AdapterName, sizeof e->AdapterName);
        json_begin_object(w, "state");
        json_uint(w, "number", e->State);
        json_text(w, "name", adapter_state_text(e->State).text);
        json_end_object(w);
        json_begin_object(w, "mode");
        json_uint(w, "number", e->Mode);
        json_text(w, "name", adapter_mode_text(e->Mode).text);
        json_end_object(w);
        json_bool(w, "in_trouble", adapter_in_trouble(e));
        json_begin_array(w, "devices");
        for (int32_t slot : d->devices[a]) json_int(w, nullptr, slot);
        json_end_array(w);
        json_end_object(w);
    }
    json_end_array(w);
    HealthStatus status = health_status(s);
    json_begin_object(w, "summary");
    json_text(w, "status", status_word(status));
    json_int(w, "exit_status", int32_t(status));
    json_int(w, "devices", s->devices);
    json_int(w, "down", s->down);
    json_int(w, "spof", s->spof);
    json_int(w, "degraded", s->degraded);
    json_int(w, "no_optimized", s->no_optimized);
    json_int(w, "active_paths", s->active_paths);
    json_int(w, "failed_paths", s->failed_paths);
    json_int(w, "standby_paths", s->standby_paths);
    if (s->with_ports) json_int(w, "unknown_target_port_paths", s->unknown_target_paths);
    json_int(w, "adapters_reported", s->adapters_reported);
    json_end_object(w);
    end_document(w);
    write_out(run->document.data(), run->document.size());
}

struct HealthVisit {
    HealthRun* run;
    const DSM_ADAPTER_TABLE* table;
    int32_t adapter_count;
    HealthOptions options;
};

void judge_one(void* context, int32_t slot, const DSM_DEVICE_RECORD* record) {
    HealthVisit* v = static_cast<HealthVisit*>(context);
    DeviceHealth health;
    judge_device(record, v->table, v->adapter_count, v->options, &health);
    add_device_health(&v->run->summary, &health);
    note_dependents(&v->run->dependents, v->table, record, slot);
    add_device(v->run, slot, record, &health);
}

int32_t report_unknown(bool json, const char* why) { return report_unknown_verdict(json, "HEALTH", why); }

}  // namespace

int32_t query_health(uint32_t flags, bool json) {
    if (open_control_device() != 0) return report_unknown(json, kNoDriver);

    static HealthRun run;
    run.json = json;
    const DSM_ADAPTER_TABLE* table = &g_connection.adapter_table;
    int32_t adapter_count = clamp_count(g_connection.adapter_count, DSM_MAX_ADAPTERS);
    for (int32_t a = 0; a < adapter_count; a++) {
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[a];
        if (!adapter_reported(e)) continue;
        run.dependents.index[run.dependents.count++] = a;
        run.summary.adapters_reported++;
        if (adapter_in_trouble(e)) run.summary.adapters_in_trouble++;
    }

    HealthOptions options{(flags & QF_TPGS) != 0, nullptr};
    if ((flags & QF_SCSI_ADDR) != 0) {
        options.ports = host_ports_for_display();  // the HBA tool runs once for the whole check
        run.summary.with_ports = true;
    }
    if (json) {
        begin_document(&run.writer, string_sink(&run.document), "health");
        json_bool(&run.writer, "tpgs", options.tpgs);
        json_bool(&run.writer, "target_ports", run.summary.with_ports);
        json_begin_array(&run.writer, "devices");
    }

    HealthVisit visit{&run, table, adapter_count, options};
    int32_t failed_slot = 0;
    uint32_t error = sweep_devices(judge_one, &visit, &failed_slot);
    if (error != 0) {
        close_control_device();
        char why[96];
        snprintf(why, sizeof why, "device %d could not be read (error %u)", int(failed_slot), unsigned(error));
        return report_unknown(json, why);
    }
    close_control_device();

    if (json) finish_json(&run, table);
    else print_text(&run, table);
    return int32_t(health_status(&run.summary));
}
