// Fuzzes the map-file line reader, the line splitter and both map displays with
// arbitrary file contents: every field stays terminated within its size and no
// read goes beyond the line.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "map_display.h"
#include "map_line.h"

namespace {

// True when a field of `size` bytes holds its terminator.
bool terminated(const char* field, size_t size) { return memchr(field, '\0', size) != nullptr; }

bool fields_terminated(const EssMapLine& l) {
    return terminated(l.disk, sizeof l.disk) && terminated(l.unused2, sizeof l.unused2) &&
           terminated(l.path, sizeof l.path) && terminated(l.p, sizeof l.p) &&
           terminated(l.unused5, sizeof l.unused5) && terminated(l.location1, sizeof l.location1) &&
           terminated(l.location2, sizeof l.location2) && terminated(l.lun_sn, sizeof l.lun_sn) &&
           terminated(l.type1, sizeof l.type1) && terminated(l.type2, sizeof l.type2) &&
           terminated(l.size, sizeof l.size) && terminated(l.lss, sizeof l.lss) && terminated(l.vol, sizeof l.vol) &&
           terminated(l.rank, sizeof l.rank) && terminated(l.ca, sizeof l.ca) && terminated(l.s, sizeof l.s) &&
           terminated(l.connection, sizeof l.connection) && terminated(l.port, sizeof l.port) &&
           terminated(l.raid_mode, sizeof l.raid_mode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = false;
    if (!quiet) {
        // The displays print; only their safety is of interest here.
        if (freopen("/dev/null", "w", stdout) == nullptr) return 0;
        quiet = true;
    }
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (f == nullptr) return 0;
    char text[kMapLineChars + 1];
    EssMapLine line;
    char id[8] = "";
    while (read_map_line(f, text)) {
        if (strlen(text) > size_t(kMapLineChars)) __builtin_trap();
        split_map_line(text, &line);
        if (!fields_terminated(line)) __builtin_trap();
        map_line_ess_id(&line, id);
        if (!terminated(id, sizeof id)) __builtin_trap();
    }
    rewind(f);
    print_ess_map_rows(f);
    rewind(f);
    print_port_map_rows(f);
    fclose(f);
    return 0;
}
