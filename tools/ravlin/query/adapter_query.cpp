// query adapter and query adaptstats: the driver's host adapters as a table, and
// the I/O and sector counters of one or every active adapter.
#include "adapter_query.h"

#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "dsm_texts.h"
#include "handlers.h"
#include "invocation_settings.h"
#include "message_text.h"

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

// The interface filter of a query: which bus type it keeps, and its messages.
struct Filter {
    bool any;             // no filter: every bus type
    uint8_t bus_type;
    const char* no_active;
};

// The filter of the first of AF_ISCSI, AF_FC, AF_SAS that is set, or none.
Filter choose_filter(uint32_t flags) {
    if (flags & AF_ISCSI) return {false, DSM_BUS_ISCSI, "No active ISCSI adapter found.\n"};
    if (flags & AF_FC) return {false, DSM_BUS_FC, "No active FC adapter found.\n"};
    if (flags & AF_SAS) return {false, DSM_BUS_SAS, "No active SAS adapter found.\n"};
    return {true, 0, "No active adapter found."};
}

// The listing's count line for `filter` with `n` adapters.
void format_count_line(char* line, size_t size, const Filter& filter, int32_t n) {
    if (filter.any) snprintf(line, size, "Active Adapters :%d\n", int(n));
    else if (filter.bus_type == DSM_BUS_ISCSI) snprintf(line, size, "Active ISCSI Adapters :%d\n", int(n));
    else if (filter.bus_type == DSM_BUS_FC) snprintf(line, size, "Active FC Adapters :%d\n", int(n));
    else snprintf(line, size, "Active SAS Adapters :%d\n", int(n));
}

// An adapter with paths is active; only active adapters are ever shown.
bool is_active(const DSM_ADAPTER_ENTRY* e) { return e->PathCount != 0; }

// True when the listing shows entry `e` under filter `f`.
bool keeps(const Filter& f, const DSM_ADAPTER_ENTRY* e) { return is_active(e) && (f.any || e->BusType == f.bus_type); }

// The table's own count, clamped to the entries the record holds.
int32_t table_count(const DSM_ADAPTER_TABLE* table) {
    int32_t n = table->AdapterCount;
    if (n < 0) return 0;
    return n > DSM_MAX_ADAPTERS ? DSM_MAX_ADAPTERS : n;
}

// An adapter number the run may index the table with: below the count read at
// open, and inside the table whatever that count said.
bool adapter_in_range(int32_t number) {
    return number >= 0 && number < g_connection.adapter_count && number < DSM_MAX_ADAPTERS;
}

// Prints a built-in text of this command as message `id`, in the form "\n%s\n".
void print_note(uint32_t id, const char* text) { printf("\n%s\n", get_message_text_as_is(id, text)); }

// The message of a failed table or statistics request.
void print_ioctl_error() { printf("\n%s\n", get_message_text(MSG_IOCTL_ERROR, "Error executing ioctl to device file\n")); }

// The one-adapter form of the listing. Always 0.
int32_t show_one_adapter(int32_t number, uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    const DSM_ADAPTER_ENTRY* e = &table->Adapters[number];
    const char* mismatch = nullptr;
    if ((flags & AF_ISCSI) && e->BusType != DSM_BUS_ISCSI) mismatch = "Not an ISCSI adapter.\n";
    else if ((flags & AF_FC) && e->BusType != DSM_BUS_FC) mismatch = "Not an FC adapter.\n";
    else if ((flags & AF_SAS) && e->BusType != DSM_BUS_SAS) mismatch = "Not a SAS adapter.\n";
    if (mismatch != nullptr) {
        print_note(MSG_ADAPTER_NOTE, mismatch);
        return 0;
    }
    if (!is_active(e)) {
        if ((flags & (AF_ISCSI | AF_FC | AF_SAS)) == 0) print_note(MSG_ADAPTER_NOTE, "No active adapter found.");
        return 0;
    }
    printf("\n%s", get_message_text(MSG_ADAPTER_HEADER, kAdapterHeader));
    print_adapter_row(number, table);
    return 0;
}

// The listing: a count line, the header and one row per kept adapter. Always 0.
int32_t list_adapters(uint32_t flags, const DSM_ADAPTER_TABLE* table) {
    Filter filter = choose_filter(flags);
    int32_t considered = table_count(table);
    int32_t kept = 0;
    for (int32_t i = 0; i < considered; i++)
        if (keeps(filter, &table->Adapters[i])) kept++;
    if (kept == 0) {
        print_note(MSG_ADAPTER_NOTE, filter.no_active);
        return 0;
    }
    char line[64];
    format_count_line(line, sizeof line, filter, kept);
    print_note(MSG_ADAPTER_COUNT, line);
    printf("%s", get_message_text(MSG_ADAPTER_HEADER, kAdapterHeader));
    for (int32_t i = 0; i < considered; i++)
        if (keeps(filter, &table->Adapters[i])) print_adapter_row(i, table);
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
        return result;
    }
    print_adapter_stats(&stats);
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
    printf("%5ld", long(i));
    printf(" %16s", name);
    printf(" %9s", bus_type_text(e->BusType));
    DsmText state = adapter_state_text(e->State);
    printf(" %10s  ", get_message_text_as_is(state.id, state.text));
    DsmText mode = adapter_mode_text(e->Mode);
    printf("%10s", get_message_text_as_is(mode.id, mode.text));
    printf("%13u", unsigned(e->SelectCount));
    printf("%11d", int(e->ErrorCount));
    printf("%7d", int(e->PathCount));
    printf(" %8d", int(e->ActivePathCount));
    printf("\n");
}

void print_adapter_stats(const DSM_ADAPTER_STATS* s) {
    char title[32];
    snprintf(title, sizeof title, "Adapter #: %2d\n", int(s->AdapterNumber));
    printf("\n%s", get_message_text_as_is(MSG_STATS_TITLE, title));
    printf("=============");
    printf("\n%16c", ' ');
    printf("%s", get_message_text(MSG_STATS_HEADER, kStatsHeader));
    const uint32_t* io = s->IoCounters;
    const uint32_t* sectors = s->SectorCounters;
    printf("I/O:   ");
    printf("%19lu%13lu%13u%14u%10u\n", (unsigned long)io[0], (unsigned long)io[1], unsigned(io[2]),
           unsigned(io[3]), unsigned(io[4]));
    printf("SECTOR:");
    printf("%19lu%13lu%13u%14u%10u\n", (unsigned long)sectors[0], (unsigned long)sectors[1],
           unsigned(sectors[2]), unsigned(sectors[3]), unsigned(sectors[4]));
}

int32_t show_adapters(int32_t adapter, uint32_t adapter_flags) {
    // Checked whether or not a number was given: with no adapters even the listing ends here.
    if (!adapter_in_range(adapter)) {
        printf("\n%s\n", get_message_text(MSG_BAD_ADAPTER, "Invalid adapter number."));
        return -1;
    }
    static DSM_ADAPTER_TABLE table;
    memset(&table, 0, sizeof table);
    uint32_t code = g_settings.all_adapters ? IOCTL_DSM_GET_ALL_ADAPTER_INFO : IOCTL_DSM_GET_ADAPTER_INFO;
    if (dsm_control(code, &table, sizeof table) != 0) {
        print_ioctl_error();
        return -1;
    }
    return show_adapter_table(adapter, adapter_flags, &table);
}

int32_t show_adapter_stats(int32_t adapter, int32_t one_adapter) {
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
    for (int32_t i = 0; i < table_count(&table); i++)
        if (is_active(&table.Adapters[i])) active++;
    if (active == 0) {
        print_note(MSG_ADAPTER_NOTE, "No active adapter found.");
        return -1;
    }
    if (one_adapter == 1) {
        if (!is_active(&table.Adapters[adapter])) {
            print_note(MSG_ADAPTER_NOTE, "Invalid adapter number.");
            return 0;
        }
        return int32_t(show_one_stats(adapter));
    }
    // Every active adapter in number order; a failed one is reported and the walk goes on.
    uint32_t last = 0;
    int32_t bound = g_connection.adapter_count < DSM_MAX_ADAPTERS ? g_connection.adapter_count : DSM_MAX_ADAPTERS;
    for (int32_t j = 0; j < bound; j++)
        if (is_active(&table.Adapters[j])) last = show_one_stats(j);
    return int32_t(last);
}
