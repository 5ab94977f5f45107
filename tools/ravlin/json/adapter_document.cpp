#include "adapter_document.h"

#include <string.h>

#include "adapter_selection.h"
#include "adapter_stats_view.h"
#include "device_json.h"
#include "document_start.h"
#include "dsm_texts.h"
#include "failure_message.h"
#include "invocation_settings.h"

namespace {

constexpr size_t kTextSize = 256;

void coded_text(JsonWriter* w, const char* key, uint32_t number, const char* name) {
    json_begin_object(w, key);
    json_uint(w, "number", number);
    json_text(w, "name", name);
    json_end_object(w);
}

// What every adapter entry names: number, name, bus type, state and mode.
void write_adapter_identity(JsonWriter* w, int32_t i, const DSM_ADAPTER_ENTRY* e) {
    json_int(w, "number", i);
    json_field(w, "name", e->AdapterName, sizeof e->AdapterName);
    coded_text(w, "bus_type", e->BusType, bus_type_text(e->BusType));
    coded_text(w, "state", e->State, adapter_state_text(e->State).text);
    coded_text(w, "mode", e->Mode, adapter_mode_text(e->Mode).text);
}

void write_adapter(JsonWriter* w, int32_t i, const DSM_ADAPTER_ENTRY* e) {
    json_begin_object(w, nullptr);
    write_adapter_identity(w, i, e);
    json_uint(w, "select_count", e->SelectCount);
    json_int(w, "error_count", e->ErrorCount);
    json_int(w, "path_count", e->PathCount);
    json_int(w, "active_path_count", e->ActivePathCount);
    json_end_object(w);
}

const char* filter_name(uint32_t flags) {
    if (flags & AF_ISCSI) return "iscsi";
    if (flags & AF_FC) return "fc";
    if (flags & AF_SAS) return "sas";
    return nullptr;
}

// A note as the text form shows it, without its framing line ends.
void note_text(JsonWriter* w, const char* text) {
    keep_failure_message(text);
    json_text(w, nullptr, kept_failure_message());
}

// What the statistics walk found, held until its result is known.
struct StatsEntry {
    alignas(8) DSM_ADAPTER_STATS stats;  // the record type is packed: keep its counters aligned
    bool failed;
    int32_t adapter;
    char message[kTextSize];
};

struct StatsWalk {
    int32_t count;
    StatsEntry entries[DSM_MAX_ADAPTERS];
    int32_t note_count;
    char notes[2][kTextSize];
};

StatsWalk g_walk;

}  // namespace

int32_t write_adapters_document(int32_t adapter, uint32_t flags, const DSM_ADAPTER_TABLE* table, JsonSink sink) {
    static JsonWriter w;
    begin_document(&w, sink, "adapters");
    json_bool(&w, "all", g_settings.all_adapters);
    const char* filter = filter_name(flags);
    if (filter != nullptr) json_text(&w, "filter", filter);
    else json_null(&w, "filter");
    json_int(&w, "adapter_count", table->AdapterCount);
    json_begin_array(&w, "adapters");
    const char* note = nullptr;
    if ((flags & AF_ONE_ADAPTER) != 0) {
        note = one_adapter_note(flags, &table->Adapters[adapter]);
        if (note == nullptr) write_adapter(&w, adapter, &table->Adapters[adapter]);
    } else {
        int32_t kept = 0;
        for (int32_t i = 0; i < adapter_table_count(table); i++) {
            if (!adapter_listed(flags, &table->Adapters[i])) continue;
            write_adapter(&w, i, &table->Adapters[i]);
            kept++;
        }
        if (kept == 0) note = no_adapter_note(flags);
    }
    json_end_array(&w);
    json_begin_array(&w, "notes");
    if (note != nullptr && note[0] != '\0') note_text(&w, note);
    json_end_array(&w);
    end_document(&w);
    return 0;
}

void write_listing_adapters(JsonWriter* w, const DSM_ADAPTER_TABLE* table) {
    json_begin_array(w, "adapters");
    for (int32_t i = 0; i < adapter_table_count(table); i++) {
        const DSM_ADAPTER_ENTRY* e = &table->Adapters[i];
        json_begin_object(w, nullptr);
        write_adapter_identity(w, i, e);
        json_bool(w, "active", e->PathCount != 0);
        json_end_object(w);
    }
    json_end_array(w);
}

namespace {

void adapter_stats_begin() {
    g_walk.count = 0;
    g_walk.note_count = 0;
}

void adapter_stats_add(const DSM_ADAPTER_STATS* stats) {
    if (g_walk.count == DSM_MAX_ADAPTERS) return;
    StatsEntry* e = &g_walk.entries[g_walk.count++];
    e->failed = false;
    e->stats = *stats;
    e->adapter = int32_t(stats->AdapterNumber);
}

void adapter_stats_failed(int32_t adapter, const char* message) {
    if (g_walk.count == DSM_MAX_ADAPTERS) return;
    StatsEntry* e = &g_walk.entries[g_walk.count++];
    e->failed = true;
    e->adapter = adapter;
    strncpy(e->message, message, sizeof e->message - 1);
    e->message[sizeof e->message - 1] = '\0';
}

void adapter_stats_note(const char* text) {
    keep_failure_message(text);
    if (g_walk.note_count == 2) return;
    char* note = g_walk.notes[g_walk.note_count++];
    strncpy(note, kept_failure_message(), kTextSize - 1);
    note[kTextSize - 1] = '\0';
}

void adapter_stats_end(int32_t result) {
    if (result != 0) return;
    static JsonWriter w;
    begin_document(&w, json_stdout_sink(), "adapter-statistics");
    json_begin_array(&w, "adapters");
    for (int32_t i = 0; i < g_walk.count; i++) {
        const StatsEntry* e = &g_walk.entries[i];
        json_begin_object(&w, nullptr);
        json_int(&w, "number", e->adapter);
        json_text(&w, "status", e->failed ? "failed" : "present");
        if (e->failed) {
            json_text(&w, "message", e->message);
        } else {
            write_counter_row(&w, "io", e->stats.IoCounters, false);
            write_counter_row(&w, "sectors", e->stats.SectorCounters, false);
        }
        json_end_object(&w);
    }
    json_end_array(&w);
    json_begin_array(&w, "notes");
    for (int32_t i = 0; i < g_walk.note_count; i++) json_text(&w, nullptr, g_walk.notes[i]);
    json_end_array(&w);
    end_document(&w);
}

const AdapterStatsView kJsonStatsView = {adapter_stats_begin, adapter_stats_note, adapter_stats_add,
                                         adapter_stats_failed, adapter_stats_end};

}  // namespace

const AdapterStatsView* json_adapter_stats_view() { return &kJsonStatsView; }
