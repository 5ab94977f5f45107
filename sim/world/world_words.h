// The words a scenario may use for the records' enumerations, and back.
// One table per enumeration, so reader, writer and error messages agree.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct WordEntry {
    const char* word;
    uint32_t value;
};

struct WordTable {
    const WordEntry* entries;
    size_t count;
};

extern const WordTable kAdapterStateWords;  // normal degraded failed
extern const WordTable kModeWords;          // normal offline
extern const WordTable kPathStateWords;     // close open dead
extern const WordTable kBusTypeWords;       // fc iscsi sas scsi
extern const WordTable kInterfaceWords;     // fc iscsi sas
extern const WordTable kPolicyWords;        // default ... round_robin_subset
extern const WordTable kScopeWords;         // none all_nodes opt_nodes
extern const WordTable kSlotStateWords;     // absent present removed invalid
extern const WordTable kHbaPortTypeWords;   // n_port nl_port
extern const WordTable kHbaPortStateWords;  // online offline
extern const WordTable kHbaPortSpeedWords;  // unknown 1gbit 2gbit 10gbit 4gbit 8gbit
// The calls a `fail` list can name, each a SIM_HBA_FAIL_... bit.
extern const WordTable kHbaLibraryFailWords;  // load_library
extern const WordTable kHbaAdapterFailWords;  // name open attributes
extern const WordTable kHbaPortFailWords;     // attributes

// True when `word` is in `table`; stores its value.
bool word_value(const WordTable* table, const char* word, uint32_t* value);

// The word for `value`, or nullptr when the table has none (a static text).
const char* word_name(const WordTable* table, uint32_t value);

// Writes the table's words as "a, b or c" into `buffer` (bounded, always terminated).
void word_list(const WordTable* table, char* buffer, size_t size);
