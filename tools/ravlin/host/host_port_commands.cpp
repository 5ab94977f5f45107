// query wwpn and query port: the HBA tool straight to the console.
#include <stdio.h>

#include "host_commands.h"
#include "host_ports.h"
#include "output_policy.h"
#include "platform.h"

int32_t query_wwpn() {
    char command[4096];
    int32_t status = -1;
    if (resolve_hba_command("Fenmar.exe", command, sizeof command)) {
        flush_output();
        status = platform_run_command(command);
    }
    if (status < 0) {
        flush_output();
        fputs("system do Fenmar.exe failed!\n", stderr);
    }
    return 0;
}

int32_t query_port() {
    char command[4096];
    int32_t status = -1;
    if (resolve_hba_command("Fenmar.exe WWPNHP", command, sizeof command)) {
        flush_output();
        status = platform_run_command(command);
    } else {
        snprintf(command, sizeof command, "%s", "Fenmar.exe WWPNHP");
    }
    if (status >= 0) return 0;
    flush_output();
    fprintf(stderr, "system do command[%s] failed!\n", command);
    return status;
}
