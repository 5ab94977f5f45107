// fenmar: the HBA query tool. Always ends with status 0: its callers learn of
// failures from the lines it prints.
#include <stdio.h>
#include <string.h>

#include "fenmar.h"
#include "output_policy.h"

FenmarMode fenmar_mode(const char* argument) {
    if (argument == nullptr) return FENMAR_LIST;
    if (strcmp(argument, "detail") == 0) return FENMAR_DETAIL;
    if (strcmp(argument, "WWPNHP") == 0) return FENMAR_WWPNHP;
    if (strcmp(argument, "debug") == 0) return FENMAR_DEBUG;
    return FENMAR_LIST;
}

int main(int argc, char** argv) {
    buffer_output();
    if (argc > 2) {
        put_out("This utility does not take any parameters as input");
    } else {
        fenmar_run(fenmar_mode(argc == 2 ? argv[1] : nullptr));
    }
    flush_output();
    return 0;
}
