// Enumeration words of the scenario format.
#include "world_words.h"

#include <string.h>

#include "dsm_interface.h"
#include "sim_world.h"

namespace {

const WordEntry kAdapterState[] = {
    {"normal", DSM_ADAPTER_NORMAL}, {"degraded", DSM_ADAPTER_DEGRADED}, {"failed", DSM_ADAPTER_FAILED}};
const WordEntry kMode[] = {{"normal", DSM_MODE_NORMAL}, {"offline", DSM_MODE_OFFLINE}};
const WordEntry kPathState[] = {{"close", DSM_PATH_CLOSE}, {"open", DSM_PATH_OPEN}, {"dead", DSM_PATH_DEAD}};
// "scsi" is STORAGE_BUS_TYPE's BusTypeScsi; the display shows every unknown bus as SCSI too.
const WordEntry kBusType[] = {{"fc", DSM_BUS_FC}, {"iscsi", DSM_BUS_ISCSI}, {"sas", DSM_BUS_SAS}, {"scsi", 1}};
const WordEntry kInterface[] = {{"fc", DSM_IF_FC}, {"iscsi", DSM_IF_ISCSI}, {"sas", DSM_IF_SAS}};
const WordEntry kPolicy[] = {
    {"default", DSM_POLICY_DEFAULT},
    {"round_robin", DSM_POLICY_ROUND_ROBIN},
    {"failover", DSM_POLICY_FAILOVER},
    {"least_io_weight", DSM_POLICY_LEAST_IO_WEIGHT},
    {"single_path", DSM_POLICY_SINGLE_PATH},
    {"reserve", DSM_POLICY_RESERVE},
    {"shortest_queue_time", DSM_POLICY_SHORTEST_QUEUE_TIME},
    {"least_queue_depth", DSM_POLICY_LEAST_QUEUE_DEPTH},
    {"least_bytes", DSM_POLICY_LEAST_BYTES},
    {"round_robin_subset", DSM_POLICY_ROUND_ROBIN_SUBSET},
};
const WordEntry kScope[] = {
    {"none", DSM_SCOPE_NONE}, {"all_nodes", DSM_SCOPE_ALL_NODES}, {"opt_nodes", DSM_SCOPE_OPT_NODES}};
const WordEntry kSlotState[] = {{"absent", SIM_SLOT_ABSENT},
                                {"present", SIM_SLOT_PRESENT},
                                {"removed", SIM_SLOT_REMOVED},
                                {"invalid", SIM_SLOT_INVALID}};

// The HBA API's codes. Speeds are bits: 4 is ten gigabit, 8 four gigabit.
const WordEntry kHbaPortType[] = {{"n_port", 5}, {"nl_port", 6}};
const WordEntry kHbaPortState[] = {{"online", 2}, {"offline", 3}};
const WordEntry kHbaPortSpeed[] = {
    {"unknown", 0}, {"1gbit", 1}, {"2gbit", 2}, {"10gbit", 4}, {"4gbit", 8}, {"8gbit", 16}};
const WordEntry kHbaLibraryFail[] = {{"load_library", SIM_HBA_FAIL_LOAD_LIBRARY}};
const WordEntry kHbaAdapterFail[] = {
    {"name", SIM_HBA_FAIL_NAME}, {"open", SIM_HBA_FAIL_OPEN}, {"attributes", SIM_HBA_FAIL_ATTRIBUTES}};
const WordEntry kHbaPortFail[] = {{"attributes", SIM_HBA_FAIL_ATTRIBUTES}};

template <size_t N>
constexpr WordTable table_of(const WordEntry (&entries)[N]) {
    return WordTable{entries, N};
}

// Appends `text` to the terminated contents of `buffer`, cutting it to fit.
void append(char* buffer, size_t size, const char* text) {
    size_t used = strlen(buffer);
    size_t room = size - 1 - used;
    size_t n = strlen(text);
    if (n > room) n = room;
    memcpy(buffer + used, text, n);
    buffer[used + n] = '\0';
}

}  // namespace

const WordTable kAdapterStateWords = table_of(kAdapterState);
const WordTable kModeWords = table_of(kMode);
const WordTable kPathStateWords = table_of(kPathState);
const WordTable kBusTypeWords = table_of(kBusType);
const WordTable kInterfaceWords = table_of(kInterface);
const WordTable kPolicyWords = table_of(kPolicy);
const WordTable kScopeWords = table_of(kScope);
const WordTable kSlotStateWords = table_of(kSlotState);
const WordTable kHbaPortTypeWords = table_of(kHbaPortType);
const WordTable kHbaPortStateWords = table_of(kHbaPortState);
const WordTable kHbaPortSpeedWords = table_of(kHbaPortSpeed);
const WordTable kHbaLibraryFailWords = table_of(kHbaLibraryFail);
const WordTable kHbaAdapterFailWords = table_of(kHbaAdapterFail);
const WordTable kHbaPortFailWords = table_of(kHbaPortFail);

bool word_value(const WordTable* table, const char* word, uint32_t* value) {
    for (size_t i = 0; i < table->count; i++) {
        if (strcmp(table->entries[i].word, word) == 0) {
            *value = table->entries[i].value;
            return true;
        }
    }
    return false;
}

const char* word_name(const WordTable* table, uint32_t value) {
    for (size_t i = 0; i < table->count; i++)
        if (table->entries[i].value == value) return table->entries[i].word;
    return nullptr;
}

void word_list(const WordTable* table, char* buffer, size_t size) {
    if (size == 0) return;
    buffer[0] = '\0';
    for (size_t i = 0; i < table->count; i++) {
        if (i > 0) append(buffer, size, i + 1 == table->count ? " or " : ", ");
        append(buffer, size, table->entries[i].word);
    }
}
