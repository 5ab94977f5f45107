// Which adapters an adapter query shows: the interface filter, the active test,
// and the notes shown instead of rows. Shared by the text table and its document.
#include "adapter_selection.h"

#include "invocation_settings.h"
#include "message_catalogue.h"

namespace {

// The interface filter of a query: which bus type it keeps, and its messages.
struct Filter {
    bool any;             // no filter: every bus type
    uint8_t bus_type;
    const char* no_active;
};

// The filter of the first of AF_ISCSI, AF_FC, AF_SAS that is set, or none.
Filter choose_filter(uint32_t flags) {
    if (flags & AF_ISCSI) return {false, DSM_BUS_ISCSI, msg::NO_ACTIVE_ISCSI_ADAPTER};
    if (flags & AF_FC) return {false, DSM_BUS_FC, msg::NO_ACTIVE_FC_ADAPTER};
    if (flags & AF_SAS) return {false, DSM_BUS_SAS, msg::NO_ACTIVE_SAS_ADAPTER};
    return {true, 0, msg::NO_ACTIVE_ADAPTER};
}

// True when the listing shows entry `e` under filter `f`.
bool keeps(const Filter& f, const DSM_ADAPTER_ENTRY* e) { return adapter_is_active(e) && (f.any || e->BusType == f.bus_type); }

}  // namespace

bool adapter_is_active(const DSM_ADAPTER_ENTRY* e) { return e->PathCount != 0; }

int32_t adapter_table_count(const DSM_ADAPTER_TABLE* table) {
    int32_t n = table->AdapterCount;
    if (n < 0) return 0;
    return n > DSM_MAX_ADAPTERS ? DSM_MAX_ADAPTERS : n;
}

bool adapter_listed(uint32_t adapter_flags, const DSM_ADAPTER_ENTRY* e) { return keeps(choose_filter(adapter_flags), e); }

const char* no_adapter_note(uint32_t adapter_flags) { return choose_filter(adapter_flags).no_active; }

const char* one_adapter_note(uint32_t flags, const DSM_ADAPTER_ENTRY* e) {
    if ((flags & AF_ISCSI) && e->BusType != DSM_BUS_ISCSI) return msg::NOT_ISCSI_ADAPTER;
    if ((flags & AF_FC) && e->BusType != DSM_BUS_FC) return msg::NOT_FC_ADAPTER;
    if ((flags & AF_SAS) && e->BusType != DSM_BUS_SAS) return msg::NOT_SAS_ADAPTER;
    if (!adapter_is_active(e)) return (flags & (AF_ISCSI | AF_FC | AF_SAS)) == 0 ? msg::NO_ACTIVE_ADAPTER : "";
    return nullptr;
}

