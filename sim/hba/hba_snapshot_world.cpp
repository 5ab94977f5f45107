// Reads the HBA snapshot that the Linux world file keeps beside the world. Without
// the lock: ravlin holds it while the tool it runs loads this library.
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hba_snapshot_read.h"
#include "world_file.h"

namespace {

uint32_t clamp(uint32_t n, uint32_t most) { return n < most ? n : most; }

void terminate(char* text, size_t size) { text[size - 1] = '\0'; }

// A file can be damaged: counts within their tables, texts terminated.
void make_safe(SimHbaSnapshot* s) {
    s->adapter_count = clamp(s->adapter_count, SIM_HBA_MAX_ADAPTERS);
    for (SimHbaAdapterRecord& a : s->adapters) {
        terminate(a.name, sizeof a.name);
        terminate(a.manufacturer, sizeof a.manufacturer);
        terminate(a.serial_number, sizeof a.serial_number);
        terminate(a.model, sizeof a.model);
        terminate(a.driver_version, sizeof a.driver_version);
        terminate(a.option_rom_version, sizeof a.option_rom_version);
        terminate(a.firmware_version, sizeof a.firmware_version);
        a.port_count = clamp(a.port_count, SIM_HBA_MAX_PORTS);
        for (SimHbaHostPortRecord& p : a.ports) {
            p.attributes.discovered_count = clamp(p.attributes.discovered_count, SIM_HBA_MAX_DISCOVERED);
            terminate(p.attributes.os_device_name, sizeof p.attributes.os_device_name);
            for (SimHbaPortRecord& d : p.discovered) terminate(d.os_device_name, sizeof d.os_device_name);
        }
    }
}

}  // namespace

bool hba_snapshot_read(SimHbaSnapshot* out) {
    if (world_file_load_hba(out)) {
        make_safe(out);
        return true;
    }
    // No world saved yet: the library of a machine without the simulated SAN.
    memset(out, 0, sizeof *out);
    out->version = SIM_HBA_DEFAULT_VERSION;
    return true;
}

void hba_journal_note(const char* line) {
    // As big as the test driver's: later lines are dropped, so runs that never
    // load a new world (a long demo) do not grow the file without end.
    constexpr off_t kJournalMax = 32768;
    char path[4200];
    if (!world_file_hba_journal_path(path, sizeof path)) return;
    // One write per line on a file opened for appending: the lines of two tools
    // running at once never mix within a line.
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    struct stat st;
    size_t n = strlen(line);
    if (fstat(fd, &st) == 0 && st.st_size + off_t(n) <= kJournalMax) (void)!write(fd, line, n);
    close(fd);
}
