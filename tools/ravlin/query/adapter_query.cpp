// query adapter and query adaptstats: the driver's host adapters as a table, and
// the I/O and sector counters of one or every active adapter.
#include "adapter_query.h"

#include <stdio.h>
#include <string.h>

#include "adapter_document.h"
#include "adapter_selection.h"
#include "adapter_stats_view.h"
#include "control_device.h"
#include "dsm_texts.h"
#include "failure_message.h"
#include "query_commands.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {



// The listing's count line for the interface filter of `flags` with `n` adapters.
void format_count_line(char* line, size_t size, uint32_t flags, int32_t n) {
    if (flags & AF_ISCSI) snprintf(line, size, msg::ACTIVE_ISCSI_ADAPTERS, int(n));
    else if (flags & AF_FC) snprintf(line, size, msg::ACTIVE_FC_ADAPTERS, int(n));
    else if (flags & AF_SAS) snprintf(line, size, msg::ACTIVE_SAS_ADAPTERS, int(n));
    else snprintf(line, size, msg::ACTIVE_ADAPTERS, int(n));
}

// An adapter number the run may index the table with: below the count read at
// open, and inside the table whatever that count said.
bool adapter_in_range(int32_t number) {
    return number >= 0 && number < g_connection.adapter_count && number < DSM_MAX_ADAPTERS;
}

// Prints a built-in text of the adapter listing as message `id`, in the form "\n%s\n".
void print_note(uint32_t id, const char* text) { print_out("\n%s\n", get_message_text_as_is(id, text)); }

// The message of a failed table or statistics request.
void print_ioctl_error() { print_message(get_message_text(MESSAGE(IOCTL_ERROR))); }

// The one-adapter form of the listing. Always 0.
int32_t show_one_adapter(int32_t number, uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    const char* note = one_adapter_note(flags, &table->Adapters[number]);
    if (note != nullptr) {
        if (note[0] != '\0') print_note(MESSAGE_ID(NO_ACTIVE_ADAPTER), note);
        return 0;
    }
    print_out("\n%s", get_message_text(MESSAGE(ADAPTER_HEADER)));
    print_adapter_row(number, table);
    return 0;
}

// The listing: a count line, the header and one row per kept adapter. Always 0.
int32_t list_adapters(uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    int32_t considered = adapter_table_count(table);
    int32_t kept = 0;
    for (int32_t i = 0; i < considered; i++)
        if (adapter_listed(flags, &table->Adapters[i])) kept++;
    if (kept == 0) {
        print_note(MESSAGE_ID(NO_ACTIVE_ADAPTER), no_adapter_note(flags));
        return 0;
    }
    char line[64];
    format_count_line(line, sizeof line, flags, kept);
    print_note(MESSAGE_ID(ACTIVE_ADAPTERS), line);
    print_out("%s", get_message_text(MESSAGE(ADAPTER_HEADER)));
    for (int32_t i = 0; i < considered; i++)
        if (adapter_listed(flags, &table->Adapters[i])) print_adapter_row(i, table);
    return 0;
}

// The statistics pass shows through the view its run's output mode chose.
const AdapterStatsView* g_stats_view = nullptr;

void stats_note(uint32_t id, const char* text) { g_stats_view->note(get_message_text_as_is(id, text)); }

// Asks for adapter `number`'s statistics and shows them; 0 or the request's error.
uint32_t show_one_stats(int32_t number) {
    DSM_ADAPTER_STATS stats;
    memset(&stats, 0, sizeof stats);
    stats.AdapterNumber = uint32_t(number);
    uint32_t result = dsm_control(IOCTL_DSM_GET_ADAPTER_STATS, &stats, sizeof stats);
    if (result != 0) {
        print_ioctl_error();
        g_stats_view->failed(number, kept_failure_message());
        return result;
    }
    g_stats_view->stats(&stats);
    return 0;
}

}  // namespace

int32_t show_adapter_table(int32_t adapter, uint32_t adapter_flags, const DSM_ADAPTER_TABLE* table) {
    if (adapter_flags & AF_ONE_ADAPTER) return show_one_adapter(adapter, adapter_flags, table);
    return list_adapters(adapter_flags, table);
}

void print_adapter_row(int32_t i, const DSM_ADAPTER_TABLE* table) {
    const DSM_ADAPTER_ENTRY* e = &table->Adapters[i];
    // The driver's name field need not be terminated.
    char name[sizeof e->AdapterName + 1];
    memcpy(name, e->AdapterName, sizeof e->AdapterName);
    name[sizeof e->AdapterName] = '\0';
    print_out("%5ld", long(i));
    print_out(" %16s", name);
    print_out(" %9s", bus_type_text(e->BusType));
    DsmText state = adapter_state_text(e->State);
    print_out(" %10s  ", get_message_text_as_is(state.id, state.text));
    DsmText mode = adapter_mode_text(e->Mode);
    print_out("%10s", get_message_text_as_is(mode.id, mode.text));
    print_out("%13u", unsigned(e->SelectCount));
    print_out("%11d", int(e->ErrorCount));
    print_out("%7d", int(e->PathCount));
    print_out(" %8d", int(e->ActivePathCount));
    print_out("\n");
}

void print_adapter_stats(const DSM_ADAPTER_STATS* s) {
    char title[32];
    snprintf(title, sizeof title, msg::ADAPTER_STATS_TITLE, int(s->AdapterNumber));
    print_out("\n%s", get_message_text_as_is(MESSAGE_ID(ADAPTER_STATS_TITLE), title));
    print_out("=============");
    print_out("\n%16c", ' ');
    print_out("%s", get_message_text(MESSAGE(STATS_HEADER)));
    const uint32_t* io = s->IoCounters;
    const uint32_t* sectors = s->SectorCounters;
    print_out("I/O:   ");
    print_out("%19lu%13lu%13u%14u%10u\n", (unsigned long)io[0], (unsigned long)io[1], unsigned(io[2]),
           unsigned(io[3]), unsigned(io[4]));
    print_out("SECTOR:");
    print_out("%19lu%13lu%13u%14u%10u\n", (unsigned long)sectors[0], (unsigned long)sectors[1],
           unsigned(sectors[2]), unsigned(sectors[3]), unsigned(sectors[4]));
}

int32_t show_adapters(int32_t adapter, uint32_t adapter_flags) {
    // Checked whether or not a number was given: with no adapters even the listing ends here.
    if (!adapter_in_range(adapter)) {
        print_message(get_message_text(MESSAGE(INVALID_ADAPTER_NUMBER)));
        return -1;
    }
    static DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    uint32_t code = g_settings.all_adapters ? IOCTL_DSM_GET_ALL_ADAPTER_INFO : IOCTL_DSM_GET_ADAPTER_INFO;
    if (dsm_control(code, &table, sizeof table) != 0) {
        print_ioctl_error();
        return -1;
    }
    if (g_settings.json_output) return write_adapters_document(adapter, adapter_flags, &table, json_stdout_sink());
    return show_adapter_table(adapter, adapter_flags, &table);
}

namespace {

int32_t adapter_stats_pass(int32_t adapter, int32_t one_adapter) {
    if (!adapter_in_range(adapter)) {
        stats_note(MESSAGE(ADAPTER_NUMBER_NOTE));
        return 0;
    }
    static DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    uint32_t result = dsm_control(IOCTL_DSM_GET_ADAPTER_INFO, &table, sizeof table);
    if (result != 0) {
        print_ioctl_error();
        return int32_t(result);
    }
    int32_t active = 0;
    for (int32_t i = 0; i < adapter_table_count(&table); i++)
        if (adapter_is_active(&table.Adapters[i])) active++;
    if (active == 0) {
        stats_note(MESSAGE(NO_ACTIVE_ADAPTER));
        return -1;
    }
    if (one_adapter == 1) {
        if (!adapter_is_active(&table.Adapters[adapter])) {
            stats_note(MESSAGE(ADAPTER_NUMBER_NOTE));
            return 0;
        }
        return int32_t(show_one_stats(adapter));
    }
    // Every active adapter in number order; a failed one is reported and the walk goes on.
    uint32_t last = 0;
    int32_t bound = g_connection.adapter_count < DSM_MAX_ADAPTERS ? g_connection.adapter_count : DSM_MAX_ADAPTERS;
    for (int32_t j = 0; j < bound; j++)
        if (adapter_is_active(&table.Adapters[j])) last = show_one_stats(j);
    return int32_t(last);
}

void text_stats_nothing() {}
void text_stats_note(const char* message) { print_out("\n%s\n", message); }
void text_stats_failed(int32_t, const char*) {}  // print_message has shown it
void text_stats_end(int32_t) {}

const AdapterStatsView kTextStatsView = {text_stats_nothing, text_stats_note, print_adapter_stats, text_stats_failed,
                                         text_stats_end};

}  // namespace

const AdapterStatsView* text_adapter_stats_view() { return &kTextStatsView; }

int32_t show_adapter_stats(int32_t adapter, int32_t one_adapter) {
    g_stats_view = g_settings.json_output ? json_adapter_stats_view() : text_adapter_stats_view();
    g_stats_view->begin();
    int32_t result = adapter_stats_pass(adapter, one_adapter);
    g_stats_view->end(result);
    return result;
}
