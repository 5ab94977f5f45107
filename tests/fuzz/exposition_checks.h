// A small strict reader of the text exposition format, for the fuzz target and
// unit tests of the metrics writer: every line is a HELP, a TYPE or a sample; each
// metric's samples follow its own TYPE line, together; label values use only the
// three escapes; the whole document is UTF-8 and ends with a line end. Works in
// place (no allocation per line), so a fuzz run stays fast.
#pragma once

#include <stddef.h>
#include <string.h>

#include <string>
#include <string_view>

// The reader is the oracle, not the code under test: the fuzzer's coverage hooks
// in it would only slow every run and steer the search towards the reader.
#if defined(__clang__)
#define EXPO_ORACLE __attribute__((no_sanitize("coverage")))
#else
#define EXPO_ORACLE
#endif

constexpr int kExpoMaxLabels = 16;

struct ExpoLabelView {
    std::string_view key;
    std::string_view raw;  // as written, escapes and all
};

struct ExpoSampleView {
    std::string_view name;
    int label_count;
    ExpoLabelView labels[kExpoMaxLabels];
    std::string_view value;

    // The raw value of label `key`, or an empty view with *found false.
    std::string_view label(std::string_view key, bool* found = nullptr) const {
        for (int i = 0; i < label_count; i++)
            if (labels[i].key == key) {
                if (found) *found = true;
                return labels[i].raw;
            }
        if (found) *found = false;
        return {};
    }
};

EXPO_ORACLE inline std::string expo_unescape(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); i++) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            char e = raw[++i];
            out += e == 'n' ? '\n' : e;
        } else {
            out += raw[i];
        }
    }
    return out;
}

EXPO_ORACLE inline bool expo_valid_utf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        if (n == 2 && c < 0xC2) return false;  // overlong
        for (size_t k = 1; k < n; k++)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

EXPO_ORACLE inline bool expo_name_char(char c, bool first, bool label) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (!label && c == ':') ||
           (!first && c >= '0' && c <= '9');
}

EXPO_ORACLE inline std::string_view expo_read_name(std::string_view line, size_t* at, bool label) {
    size_t start = *at;
    while (*at < line.size() && expo_name_char(line[*at], *at == start, label)) (*at)++;
    return line.substr(start, *at - start);
}

EXPO_ORACLE inline bool expo_value(std::string_view v) {
    if (v.empty() || v.front() == '.' || v.back() == '.') return false;
    int dots = 0;
    for (char c : v) {
        if (c == '.') dots++;
        else if (c < '0' || c > '9') return false;
    }
    return dots <= 1;
}

// Parses one sample line in place; false when it breaks the grammar.
EXPO_ORACLE inline bool expo_parse_sample(std::string_view line, ExpoSampleView* s) {
    size_t at = 0;
    s->name = expo_read_name(line, &at, false);
    s->label_count = 0;
    if (s->name.empty()) return false;
    if (at < line.size() && line[at] == '{') {
        at++;
        for (;;) {
            std::string_view key = expo_read_name(line, &at, true);
            if (key.empty() || at + 1 >= line.size() || line[at] != '=' || line[at + 1] != '"') return false;
            at += 2;
            size_t start = at;
            for (;;) {
                if (at >= line.size()) return false;
                char c = line[at++];
                if (c == '"') break;
                if (c == '\\') {
                    if (at >= line.size()) return false;
                    char e = line[at++];
                    if (e != '\\' && e != '"' && e != 'n') return false;
                }
            }
            if (s->label_count == kExpoMaxLabels) return false;
            for (int i = 0; i < s->label_count; i++)
                if (s->labels[i].key == key) return false;  // a label twice
            s->labels[s->label_count++] = ExpoLabelView{key, line.substr(start, at - 1 - start)};
            if (at < line.size() && line[at] == ',') {
                at++;
                continue;
            }
            if (at < line.size() && line[at] == '}') {
                at++;
                break;
            }
            return false;
        }
    }
    if (at >= line.size() || line[at] != ' ') return false;
    s->value = line.substr(at + 1);
    return expo_value(s->value);
}

// Checks a whole document and hands every sample to `visit` (a callable taking a
// const ExpoSampleView&); returns "" or what is wrong.
template <typename Visit>
EXPO_ORACLE std::string expo_check_document(std::string_view doc, Visit visit) {
    if (doc.empty() || doc.back() != '\n') return "no final line end";
    if (doc.size() >= 3 && doc.compare(0, 3, "\xEF\xBB\xBF") == 0) return "byte-order mark";
    if (!expo_valid_utf8(doc)) return "not UTF-8";
    constexpr int kMaxFamilies = 64;
    std::string_view typed[kMaxFamilies];  // metrics whose TYPE line came, in order
    int families = 0;
    std::string_view helped;
    ExpoSampleView s;
    for (size_t start = 0; start < doc.size();) {
        size_t end = doc.find('\n', start);
        std::string_view line = doc.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, 7, "# HELP ") == 0) {
            size_t at = 7;
            helped = expo_read_name(line, &at, false);
            if (helped.empty() || at >= line.size() || line[at] != ' ') return "bad HELP: " + std::string(line);
            if (line.find('\\') != std::string_view::npos) return "HELP with a backslash: " + std::string(line);
            continue;
        }
        if (line.compare(0, 7, "# TYPE ") == 0) {
            size_t at = 7;
            std::string_view name = expo_read_name(line, &at, false);
            std::string_view type = line.substr(at);
            if (name.empty() || (type != " gauge" && type != " counter")) return "bad TYPE: " + std::string(line);
            if (name != helped) return "TYPE without its HELP first: " + std::string(line);
            for (int i = 0; i < families; i++)
                if (typed[i] == name) return "second TYPE: " + std::string(line);
            if (families == kMaxFamilies) return "too many metrics";
            if (type == " counter" && (name.size() < 6 || name.substr(name.size() - 6) != "_total"))
                return "counter without _total: " + std::string(line);
            typed[families++] = name;
            continue;
        }
        if (!expo_parse_sample(line, &s)) return "bad line: " + std::string(line);
        if (families == 0 || s.name != typed[families - 1]) return "sample away from its metric: " + std::string(line);
        if (s.name.substr(0, 7) != "ravlin_") return "name without the prefix: " + std::string(line);
        visit(s);
    }
    return "";
}

// The UTF-8 form of a driver field (up to its first NUL), as every machine output maps it.
EXPO_ORACLE inline std::string expo_expected_text(const char* field, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && field[i] != '\0'; i++) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}
