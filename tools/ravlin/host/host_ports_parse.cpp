// Decoding the HBA tool's "HostPort" lines into the host port table. The lines
// are outside input: every split is bounded by its table and every copy by its cell.
#include <ctype.h>
#include <string.h>

#include "host_ports.h"

namespace {

constexpr int kMaxFields = 10;  // tab-separated fields of one line
constexpr int kMaxPieces = 5;   // pieces of one field
constexpr char kEmpty[] = "";

// Pieces of a text split at `separator`: a run of separators is one, and
// leading separators give no empty piece. Pieces beyond the table are dropped.
// Each piece points into `storage` (a copy of the text), NUL-terminated.
struct Split {
    char storage[kHostPortTextSize];
    const char* piece[kMaxFields];
    int count;
};

// Splits `text` (at most kHostPortTextSize - 1 characters are looked at) into
// at most `limit` pieces. A piece that is not there reads as empty text.
void split(const char* text, char separator, int limit, Split* out) {
    size_t n = strnlen(text, kHostPortTextSize - 1);
    memcpy(out->storage, text, n);
    out->storage[n] = '\0';
    out->count = 0;
    for (const char*& p : out->piece) p = kEmpty;
    char* p = out->storage;
    while (out->count < limit) {
        while (*p == separator) p++;
        if (*p == '\0') break;
        out->piece[out->count++] = p;
        while (*p != '\0' && *p != separator) p++;
        if (*p == '\0') break;
        *p++ = '\0';
    }
}

// One hexadecimal digit's value; any other character counts as 0.
int hex_value(char c) {
    static const char kDigits[] = "0123456789abcdef";
    const char* at = c != '\0' ? strchr(kDigits, tolower(static_cast<unsigned char>(c))) : nullptr;
    return at != nullptr ? int(at - kDigits) : 0;
}

// The middle byte of a 24-bit FC address written as six hexadecimal digits
// ("010500" gives 0x05). A shorter text reads as if padded with zeros.
uint8_t middle_byte(const char* address) {
    size_t n = strnlen(address, 6);
    int high = n > 2 ? hex_value(address[2]) : 0;
    int low = n > 3 ? hex_value(address[3]) : 0;
    return uint8_t(high * 16 + low);
}

// Whether a line of at most a cell's length contains `word`.
bool has(const char* line, const char* word) {
    char copy[kHostPortTextSize];
    size_t n = strnlen(line, kHostPortTextSize - 1);
    memcpy(copy, line, n);
    copy[n] = '\0';
    return strstr(copy, word) != nullptr;
}

}  // namespace

int32_t parse_host_ports(const char (*lines)[kHostPortTextSize], int32_t line_count, uint8_t* port_ids,
                         char (*wwpns)[kHostPortTextSize], int32_t* count) {
    *count = 0;
    if (line_count <= 0) return -1;
    if (line_count > kHostPortLineMax) line_count = kHostPortLineMax;
    for (int32_t i = 0; i < line_count && *count < kHostPortMax; i++) {
        const char* line = lines[i];
        if (!has(line, "HostPort") || !has(line, "N_PORT")) continue;
        Split fields;
        split(line, '\t', kMaxFields, &fields);
        if (strstr(fields.piece[2], "N_PORT") == nullptr) continue;  // NL_PORT and other types
        Split address;
        split(fields.piece[1], ':', kMaxPieces, &address);
        Split words;
        split(fields.piece[0], ' ', kMaxPieces, &words);
        port_ids[*count] = middle_byte(address.piece[1]);
        size_t n = strnlen(words.piece[3], kHostPortTextSize - 1);
        memcpy(wwpns[*count], words.piece[3], n);
        wwpns[*count][n] = '\0';
        ++*count;
    }
    return *count;
}
