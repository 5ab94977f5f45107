// The machine form of a listing pass: one document per pass, streamed entry by
// entry so a listing of any size holds one device at a time. A failed
// single-device pass writes no listing at all: the run ends with an error document.
#include <string.h>

#include "adapter_document.h"
#include "control_device.h"
#include "device_json.h"
#include "document_start.h"
#include "failure_message.h"
#include "invocation_settings.h"
#include "listing_view.h"

namespace {

constexpr int kMaxNotes = 4;
constexpr size_t kTextSize = 256;

// The pass being written.
struct ListingDocument {
    JsonWriter w;
    int32_t pass;
    uint32_t flags;
    const char* kind;
    bool started;       // the document's first bytes are out
    bool devices_open;  // the "devices" array is open
    int note_count;
    char notes[kMaxNotes][kTextSize];
    // The outcome of a single-device pass, held until the pass's result is known.
    bool pending;
    char pending_status[24];
    int32_t pending_slot;
    char pending_text[kTextSize];
};

ListingDocument g_doc;

void start() {
    if (g_doc.started) return;
    g_doc.started = true;
    begin_document(&g_doc.w, json_stdout_sink(), g_doc.kind);
    json_int(&g_doc.w, "pass", g_doc.pass);
}

void open_devices() {
    start();
    if (g_doc.devices_open) return;
    g_doc.devices_open = true;
    json_begin_array(&g_doc.w, "devices");
}

// A message as a string member: the text without its framing line ends.
void message_member(const char* key, const char* text) {
    keep_failure_message(text);
    json_text(&g_doc.w, key, kept_failure_message());
}

void write_slot_entry(const char* status, int32_t slot, int32_t through, const char* text) {
    open_devices();
    json_begin_object(&g_doc.w, nullptr);
    json_int(&g_doc.w, "number", slot);
    json_text(&g_doc.w, "status", status);
    if (through != slot) json_int(&g_doc.w, "through", through);
    message_member("message", text);
    json_end_object(&g_doc.w);
}

void begin_pass(int32_t pass, uint32_t flags, uint32_t request_code) {
    g_doc.pass = pass;
    g_doc.flags = flags;
    g_doc.kind = request_code == IOCTL_DSM_GET_DEVICE_STATS ? "device-statistics" : "device-listing";
    g_doc.started = false;
    g_doc.devices_open = false;
    g_doc.note_count = 0;
    g_doc.pending = false;
}

void end_pass(int32_t result) {
    if (result != 0 && !g_doc.started) {
        // The dispatcher writes the error document with the kept message.
        if (g_doc.pending) keep_failure_message(g_doc.pending_text);
        return;
    }
    if (g_doc.pending) write_slot_entry(g_doc.pending_status, g_doc.pending_slot, g_doc.pending_slot, g_doc.pending_text);
    open_devices();
    json_end_array(&g_doc.w);
    json_begin_array(&g_doc.w, "notes");
    for (int i = 0; i < g_doc.note_count; i++) json_text(&g_doc.w, nullptr, g_doc.notes[i]);
    json_end_array(&g_doc.w);
    // The table read when the control device opened: no request of its own.
    if (strcmp(g_doc.kind, "device-listing") == 0) write_listing_adapters(&g_doc.w, &g_connection.adapter_table);
    end_document(&g_doc.w);
}

void title(const char* of, int32_t count, const char*) {
    start();
    json_begin_object(&g_doc.w, "total");
    json_text(&g_doc.w, "of", of);
    json_int(&g_doc.w, "count", count);
    json_end_object(&g_doc.w);
}

void record(const DeviceFetch* f, uint32_t flags, uint32_t request_code) {
    JsonWriter* w = &g_doc.w;
    if (request_code == IOCTL_DSM_GET_DEVICE_STATS) {
        open_devices();
        json_begin_object(w, nullptr);
        json_uint(w, "number", f->stats.DeviceNumber);
        json_text(w, "status", "present");
        write_device_stats_members(w, &f->stats);
        json_end_object(w);
        return;
    }
    const DSM_DEVICE_RECORD* r = &f->record;
    if (g_settings.csv_only && !is_csv_device(r)) {
        // As the text display: said for one device asked for, silent in a listing.
        if ((flags & QF_ONE_DEVICE) != 0) write_slot_entry("not-csv", int32_t(r->DeviceNumber), int32_t(r->DeviceNumber), "Disk is not a CSV");
        return;
    }
    static DeviceFacts facts;
    gather_device_facts(r, &f->preferred, flags, &facts);
    open_devices();
    json_begin_object(w, nullptr);
    json_uint(w, "number", r->DeviceNumber);
    json_text(w, "status", "present");
    write_device_members(w, &facts);
    json_end_object(w);
}

void slot_message(const char* status, int32_t slot, int32_t through, const char* text) {
    if ((g_doc.flags & QF_ONE_DEVICE) != 0 && !g_doc.started) {
        // One device: whether this is an entry or the run's error depends on the result.
        g_doc.pending = true;
        strncpy(g_doc.pending_status, status, sizeof g_doc.pending_status - 1);
        g_doc.pending_status[sizeof g_doc.pending_status - 1] = '\0';
        g_doc.pending_slot = slot;
        strncpy(g_doc.pending_text, text, sizeof g_doc.pending_text - 1);
        g_doc.pending_text[sizeof g_doc.pending_text - 1] = '\0';
        return;
    }
    write_slot_entry(status, slot, through, text);
}

void pass_message(const char* text, bool) {
    if (g_doc.note_count == kMaxNotes) return;
    keep_failure_message(text);
    char* note = g_doc.notes[g_doc.note_count++];
    strncpy(note, kept_failure_message(), kTextSize - 1);
    note[kTextSize - 1] = '\0';
}

void empty_scope(const char* of, const char* text) {
    title(of, 0, text);
    pass_message(text, false);
}

const ListingView kJsonView = {begin_pass, end_pass, title, record, slot_message, pass_message, empty_scope};

}  // namespace

const ListingView* json_listing_view() { return &kJsonView; }
