// Which HBA tool ravlin runs. ravlin runs elevated: a Fenmar.exe that the
// command interpreter would find in whatever folder the administrator is in
// must not run with those rights when the one shipped beside ravlin is there.
#include <stdio.h>
#include <string.h>

#include "host_ports.h"
#include "platform.h"

namespace {

constexpr char kPlainToolName[] = "Fenmar.exe";

// "<tool> <arguments>", or the tool alone when there are none.
bool join(const char* tool, const char* arguments, char* out, size_t size) {
    int n = arguments[0] != '\0' ? snprintf(out, size, "%s %s", tool, arguments) : snprintf(out, size, "%s", tool);
    return n >= 0 && size_t(n) < size;
}

}  // namespace

bool hba_tool_command(const char* program_dir, const char* arguments, char* out, size_t size) {
    if (program_dir != nullptr && program_dir[0] != '\0') {
        char path[4096];
        int n = snprintf(path, sizeof path, "%s%s", program_dir, platform_hba_tool_name());
        if (n >= 0 && size_t(n) < sizeof path && platform_file_exists(path)) {
            char quoted[4200];
            if (!platform_quote_command_word(path, quoted, sizeof quoted)) return false;
            return join(quoted, arguments, out, size);
        }
    }
    return join(platform_hba_tool_plain_command(), arguments, out, size);
}

bool resolve_hba_command(const char* command, char* out, size_t size) {
    size_t name = sizeof kPlainToolName - 1;
    if (strncmp(command, kPlainToolName, name) == 0 && (command[name] == '\0' || command[name] == ' ')) {
        char dir[4096];
        const char* program_dir = platform_program_dir(dir, sizeof dir) ? dir : nullptr;
        const char* arguments = command[name] == ' ' ? command + name + 1 : "";
        return hba_tool_command(program_dir, arguments, out, size);
    }
    int n = snprintf(out, size, "%s", command);
    return n >= 0 && size_t(n) < size;
}
