// Running the HBA tool into a temporary file of its own and reading its
// "HostPort" lines back.
#include <stdio.h>
#include <string.h>

#include "host_ports.h"
#include "output_policy.h"
#include "platform.h"

namespace {

// Keeps the lines of `file` that contain "HostPort", in file order, at most
// kHostPortLineMax. A line longer than a cell arrives in pieces, each a line.
int32_t keep_host_port_lines(FILE* file, char (*lines)[kHostPortTextSize]) {
    int32_t kept = 0;
    char buffer[kHostPortTextSize];
    while (kept < kHostPortLineMax && fgets(buffer, sizeof buffer, file) != nullptr) {
        if (strstr(buffer, "HostPort") == nullptr) continue;
        memcpy(lines[kept], buffer, sizeof buffer);
        kept++;
    }
    return kept;
}

}  // namespace

int32_t read_host_ports(const char* command, uint8_t* port_ids, char (*wwpns)[kHostPortTextSize], int32_t* count) {
    char tool[2048];
    char temp[1024];
    char quoted_temp[1100];
    if (!resolve_hba_command(command, tool, sizeof tool)) return -1;
    // A file of its own for every run: two listings at once, or a current
    // folder the user may not write to, must not leave the table empty.
    if (!platform_make_temp_file(temp, sizeof temp)) return -1;
    char line[4096];
    int n = -1;
    if (platform_quote_command_word(temp, quoted_temp, sizeof quoted_temp))
        n = snprintf(line, sizeof line, "%s > %s 2>&1", tool, quoted_temp);
    if (n < 0 || size_t(n) >= sizeof line) {
        platform_remove_file(temp);
        return -1;
    }
    flush_output();
    int32_t status = platform_run_command(line);
    FILE* file = fopen(temp, "rb");
    if (file != nullptr) {
        char lines[kHostPortLineMax][kHostPortTextSize];  // 64 KB, of this call alone
        int32_t kept = keep_host_port_lines(file, lines);
        parse_host_ports(lines, kept, port_ids, wwpns, count);
        fclose(file);
    }
    platform_remove_file(temp);
    return status;
}
