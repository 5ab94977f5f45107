// `query essmap`: the ESS map table from "vdqessmap.out".
#include <stdio.h>
#include <string.h>

#include "config_commands.h"
#include "map_display.h"
#include "map_line.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

void print_ess_map_rows(FILE* file) {
    char text[kMapLineChars + 1];
    EssMapLine line;
    while (read_map_line(file, text)) {
        split_map_line(text, &line);
        if (line.not_available) {
            strcpy(line.type1, " ");
            strcpy(line.type2, "Path not");
            strcpy(line.size, "available");
        }
        if (strcmp(line.p, "O") == 0) line.p[0] = '\0';
        print_out("%-7s %-7s %-2s %-5s %-6s %-13s %-4s %-8s %6s %4s %4s %5s %4s  %-2s %-13s %5s  %-s\n", line.disk,
                  line.path, line.p, line.location1, line.location2, line.lun_sn, line.type1, line.type2, line.size,
                  line.lss, line.vol, line.rank, line.ca, line.s, line.connection, line.port, line.raid_mode);
    }
}

int32_t show_ess_map() {
    FILE* file = fopen("vdqessmap.out", "r");
    if (file == nullptr) {
        print_out("%s\n", get_message_text(MESSAGE(MAP_UNREADABLE)));
        return 0;
    }
    print_out("%s\n", get_message_text_as_is(MESSAGE(ESS_MAP_HEADER)));
    print_ess_map_rows(file);
    fclose(file);
    return 0;
}
