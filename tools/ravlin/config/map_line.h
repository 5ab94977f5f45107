// One line of the ESS map files ("vdqessmap.out", "ravlinassmap.out"): 19 tokens
// separated by white space, each kept in a fixed field.
#pragma once

#include <stdint.h>
#include <stdio.h>

// A line is read with at most this many characters; the rest of a longer line
// is read as a line of its own.
constexpr int kMapLineChars = 159;

struct EssMapLine {
    char disk[12];        // 1: "Disk" and the Windows disk number
    char unused2[10];     // 2
    char path[15];        // 3: "Path" and the path number
    char p[2];            // 4
    char unused5[8];      // 5
    char location1[8];    // 6
    char location2[8];    // 7
    char lun_sn[17];      // 8: the ESS id is taken from it
    char type1[4];        // 9
    char type2[13];       // 10: its first four characters choose the ESS id rule
    char size[10];        // 11
    char lss[3];          // 12
    char vol[5];          // 13
    char rank[6];         // 14
    char ca[3];           // 15
    char s[2];            // 16
    char connection[12];  // 17: port location such as R1-B1-H1-ZA
    char port[4];         // 18
    char raid_mode[7];    // 19
    // Tokens 9, 10 and 11 read "Path", "not", "available" (judged on the whole
    // tokens, which token 9's field is too narrow to hold).
    bool not_available;
};

// Reads the next line of `file` into `line` (at most kMapLineChars characters,
// without its line end). False at the end of the file.
bool read_map_line(FILE* file, char (&line)[kMapLineChars + 1]);

// Clears all fields of *out and fills them from `line`; a token longer than its
// field is cut to the field, tokens after the 19th are ignored.
void split_map_line(const char* line, EssMapLine* out);

// The ESS id of a line whose type begins with "2107" or "1750" (the first 7
// characters of the LUN SN) or "2105" (5 characters from the LUN SN's fourth);
// `id` is left unchanged for any other type. True when the type is one of these.
bool map_line_ess_id(const EssMapLine* line, char (&id)[8]);
