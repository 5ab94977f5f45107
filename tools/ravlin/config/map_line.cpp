// Reading and splitting the lines of the ESS map files: bounded everywhere, since
// the files come from outside.
#include "map_line.h"

#include <string.h>

namespace {

// True for the white space that separates tokens.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Copies `n` characters of a token into a field of `size` bytes, cut to size - 1.
void put_token(char* field, size_t size, const char* token, size_t n) {
    size_t kept = n < size - 1 ? n : size - 1;
    memcpy(field, token, kept);
    field[kept] = '\0';
}

// True when the token of `n` characters begins with `prefix`.
bool token_begins(const char* token, size_t n, const char* prefix) {
    size_t len = strlen(prefix);
    return n >= len && memcmp(token, prefix, len) == 0;
}

}  // namespace

bool read_map_line(FILE* file, char (&line)[kMapLineChars + 1]) {
    int n = 0;
    int c = fgetc(file);
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        line[n++] = char(c);
        if (n == kMapLineChars) {
            // A line of exactly the limit still owns its line end (a lone CR
            // there is white space and may go).
            int next = fgetc(file);
            if (next == '\r') next = fgetc(file);
            if (next != '\n' && next != EOF) ungetc(next, file);
            break;
        }
        c = fgetc(file);
    }
    line[n] = '\0';
    return true;
}

void split_map_line(const char* line, EssMapLine* out) {
    memset(out, 0, sizeof *out);
    struct Field {
        char* text;
        size_t size;
    };
    const Field fields[19] = {
        {out->disk, sizeof out->disk},         {out->unused2, sizeof out->unused2},
        {out->path, sizeof out->path},         {out->p, sizeof out->p},
        {out->unused5, sizeof out->unused5},   {out->location1, sizeof out->location1},
        {out->location2, sizeof out->location2}, {out->lun_sn, sizeof out->lun_sn},
        {out->type1, sizeof out->type1},       {out->type2, sizeof out->type2},
        {out->size, sizeof out->size},         {out->lss, sizeof out->lss},
        {out->vol, sizeof out->vol},           {out->rank, sizeof out->rank},
        {out->ca, sizeof out->ca},             {out->s, sizeof out->s},
        {out->connection, sizeof out->connection}, {out->port, sizeof out->port},
        {out->raid_mode, sizeof out->raid_mode},
    };
    bool marks[3] = {false, false, false};
    const char* p = line;
    for (int i = 0; i < 19; i++) {
        while (*p != '\0' && is_blank(*p)) p++;
        if (*p == '\0') break;
        const char* start = p;
        while (*p != '\0' && !is_blank(*p)) p++;
        size_t n = size_t(p - start);
        put_token(fields[i].text, fields[i].size, start, n);
        if (i == 8) marks[0] = token_begins(start, n, "Path");
        if (i == 9) marks[1] = token_begins(start, n, "not");
        if (i == 10) marks[2] = token_begins(start, n, "available");
    }
    out->not_available = marks[0] && marks[1] && marks[2];
}

bool map_line_ess_id(const EssMapLine* line, char (&id)[8]) {
    if (strncmp(line->type2, "2107", 4) == 0 || strncmp(line->type2, "1750", 4) == 0) {
        put_token(id, sizeof id, line->lun_sn, strnlen(line->lun_sn, 7));
        return true;
    }
    if (strncmp(line->type2, "2105", 4) == 0) {
        size_t len = strlen(line->lun_sn);
        const char* from = len > 3 ? line->lun_sn + 3 : "";
        put_token(id, sizeof id, from, strnlen(from, 5));
        return true;
    }
    return false;
}
