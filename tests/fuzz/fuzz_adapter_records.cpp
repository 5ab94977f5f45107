// Fuzzes the adapter displays with driver replies of any content: an adapter
// table (its count included) shown as a listing and as each single adapter
// under every filter, and an adapter statistics record.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "adapter_query.h"
#include "invocation_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = false;
    if (!quiet) {
        quiet = freopen("/dev/null", "w", stdout) != nullptr;
    }
    static DSM_ADAPTER_TABLE table;
    DSM_ADAPTER_STATS stats;
    memset(&table, 0, sizeof table);
    memset(&stats, 0, sizeof stats);
    size_t n = size < sizeof table ? size : sizeof table;
    memcpy(&table, data, n);
    if (size > sizeof table) {
        size_t rest = size - sizeof table;
        memcpy(&stats, data + sizeof table, rest < sizeof stats ? rest : sizeof stats);
    }
    const uint32_t filters[] = {0, AF_ISCSI, AF_FC, AF_SAS, AF_ISCSI | AF_SAS};
    for (uint32_t f : filters) {
        show_adapter_table(0, f, &table);
        for (int32_t i = 0; i < DSM_MAX_ADAPTERS; i++) show_adapter_table(i, f | AF_ONE_ADAPTER, &table);
    }
    print_adapter_stats(&stats);
    return 0;
}
