// `query portmap`: one grid line per disk of "ravlinassmap.out".
#include <stdio.h>
#include <string.h>

#include "config_commands.h"
#include "map_display.h"
#include "map_line.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {

// Ends a disk line: the bay label and a grid of unconfigured cells under the header's columns.
void finish_disk_line() {
    print_out("%2s %6s", "", "Bay1-Bay2:");
    for (int group = 0; group < 8; group++) {
        print_out("--------");
        print_out(group == 3 ? "      " : group == 7 ? "       " : " ");
    }
    print_out("\n");
}

// The ESS id the grid shows: from the LUN SN's fourth character for a 2105, else its first 7.
void grid_ess_id(const EssMapLine* line, char (&id)[17]) {
    if (strncmp(line->type2, "2105", 4) == 0) {
        size_t len = strlen(line->lun_sn);
        snprintf(id, sizeof id, "%s", len > 3 ? line->lun_sn + 3 : "");
    } else {
        snprintf(id, sizeof id, "%.7s", line->lun_sn);
    }
}

}  // namespace

void print_port_map_rows(FILE* file) {
    char text[kMapLineChars + 1];
    EssMapLine line;
    char current[12] = "";
    bool open = false;
    while (read_map_line(file, text)) {
        split_map_line(text, &line);
        // A blank line names no disk: it neither opens nor ends one.
        if (line.not_available || line.disk[0] == '\0') continue;
        if (strcmp(line.disk, current) == 0) continue;
        if (open) finish_disk_line();
        snprintf(current, sizeof current, "%s", line.disk);
        char id[17];
        grid_ess_id(&line, id);
        print_out("%8s %9s   ", id, current);
        open = true;
    }
    if (open) finish_disk_line();
}

int32_t show_port_map() {
    FILE* file = fopen("ravlinassmap.out", "r");
    if (file == nullptr) {
        print_out("%s\n", get_message_text(MESSAGE(MAP_UNREADABLE)));
        return 0;
    }
    print_out(" ESSID      DISK                     H1       H2       H3       H4            H1       H2       H3       H4\n");
    print_out("                                  ABCDEFGH ABCDEFGH ABCDEFGH ABCDEFGH      ABCDEFGH ABCDEFGH ABCDEFGH ABCDEFGH\n");
    print_port_map_rows(file);
    print_out("%s", get_message_text_as_is(MESSAGE(PORT_MAP_LEGEND)));
    fclose(file);
    return 0;
}
