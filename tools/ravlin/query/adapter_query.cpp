// query adapter and query adaptstats: the driver's host adapters as a table, and
// the I/O and sector counters of one or every active adapter.
#include "adapter_query.h"

#include <stdio.h>
#include <string.h>

#include "adapter_document.h"
#include "adapter_selection.h"
#include "control_device.h"
#include "dsm_texts.h"
#include "failure_message.h"
#include "query_commands.h"
#include "invocation_settings.h"
#include "message_text.h"
#include "output_policy.h"

namespace {

constexpr uint32_t MSG_BAD_ADAPTER = 0xC0000003;
constexpr uint32_t MSG_ADAPTER_NOTE = 0x4000003C;
constexpr uint32_t MSG_ADAPTER_COUNT = 0x40000016;
constexpr uint32_t MSG_ADAPTER_HEADER = 0x40000015;
constexpr uint32_t MSG_STATS_TITLE = 0x40000028;
constexpr uint32_t MSG_STATS_HEADER = 0x40000029;

constexpr char kAdapterHeader[] =
    "Adpt#        Name      Interface      State        Mode       Select     Errors  Paths   Active\n";
constexpr char kStatsHeader[] = "Total Read  Total Write  Active Read  Active Write   Maximum\n";

// The listing's count line for the interface filter of `flags` with `n` adapters.
void format_count_line(char* line, size_t size, uint32_t flags, int32_t n) {
    if (flags & AF_ISCSI) snprintf(line, size, "Active ISCSI Adapters :%d\n", int(n));
    else if (flags & AF_FC) snprintf(line, size, "Active FC Adapters :%d\n", int(n));
    else if (flags & AF_SAS) snprintf(line, size, "Active SAS Adapters :%d\n", int(n));
    else snprintf(line, size, "Active Adapters :%d\n", int(n));
}

// An adapter number the run may index the table with: below the count read at
// open, and inside the table whatever that count said.
bool adapter_in_range(int32_t number) {
    return number >= 0 && number < g_connection.adapter_count && number < DSM_MAX_ADAPTERS;
}

// Prints a built-in text of this command as message `id`, in the form "\n%s\n".
// With -json (only the statistics reach here then) the note goes into the document.
void print_note(uint32_t id, const char* text) {
    const char* message = get_message_text_as_is(id, text);
    if (g_settings.json_output) adapter_stats_note(message);
    else print_out("\n%s\n", message);
}

// The message of a failed table or statistics request.
void print_ioctl_error() { print_message(get_message_text(MSG_IOCTL_ERROR, "Error executing ioctl to device file\n")); }

// The one-adapter form of the listing. Always 0.
int32_t show_one_adapter(int32_t number, uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    const char* note = one_adapter_note(flags, &table->Adapters[number]);
    if (note != nullptr) {
        if (note[0] != '\0') print_note(MSG_ADAPTER_NOTE, note);
        return 0;
    }
    print_out("\n%s", get_message_text(MSG_ADAPTER_HEADER, kAdapterHeader));
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
        print_note(MSG_ADAPTER_NOTE, no_adapter_note(flags));
        return 0;
    }
    char line[64];
    format_count_line(line, sizeof line, flags, kept);
    print_note(MSG_ADAPTER_COUNT, line);
    print_out("%s", get_message_text(MSG_ADAPTER_HEADER, kAdapterHeader));
    for (int32_t i = 0; i < considered; i++)
        if (adapter_listed(flags, &table->Adapters[i])) print_adapter_row(i, table);
    return 0;
}

// Asks for adapter `number`'s statistics and prints them; 0 or the request's error.
uint32_t show_one_stats(int32_t number) {
    DSM_ADAPTER_STATS stats;
    memset(&stats, 0, sizeof stats);
    stats.AdapterNumber = uint32_t(number);
    uint32_t result = dsm_control(IOCTL_DSM_GET_ADAPTER_STATS, &stats, sizeof stats);
    if (result != 0) {
        print_ioctl_error();
        if (g_settings.json_output) adapter_stats_failed(number, kept_failure_message());
        return result;
    }
    if (g_settings.json_output) adapter_stats_add(&stats);
    else print_adapter_stats(&stats);
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
    snprintf(title, sizeof title, "Adapter #: %2d\n", int(s->AdapterNumber));
    print_out("\n%s", get_message_text_as_is(MSG_STATS_TITLE, title));
    print_out("=============");
    print_out("\n%16c", ' ');
    print_out("%s", get_message_text(MSG_STATS_HEADER, kStatsHeader));
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
        print_message(get_message_text(MSG_BAD_ADAPTER, "Invalid adapter number."));
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
        print_note(MSG_ADAPTER_NOTE, "Invalid adapter number.");
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
        print_note(MSG_ADAPTER_NOTE, "No active adapter found.");
        return -1;
    }
    if (one_adapter == 1) {
        if (!adapter_is_active(&table.Adapters[adapter])) {
            print_note(MSG_ADAPTER_NOTE, "Invalid adapter number.");
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

}  // namespace

int32_t show_adapter_stats(int32_t adapter, int32_t one_adapter) {
    if (g_settings.json_output) adapter_stats_begin();
    int32_t result = adapter_stats_pass(adapter, one_adapter);
    if (g_settings.json_output) adapter_stats_end(result);
    return result;
}
