#include "command_grammar.h"

#include <string.h>

#include "dsm_interface.h"
#include "invocation_settings.h"
#include "numeric_word.h"
#include "output_words.h"

namespace {

bool equal(const char* a, const char* b) { return strcmp(a, b) == 0; }

bool one_of(const char* word, const char* const* list) {
    for (; *list != nullptr; list++)
        if (equal(word, *list)) return true;
    return false;
}

const char* const kStateWords[] = {"online", "offline", nullptr};
const char* const kAdapterWords[] = {"online", "offline", "pathcountref", nullptr};
const char* const kUnscopedPolicies[] = {"rr", "fo", "rrss", "lb", "df", nullptr};
const char* const kScopedPolicies[] = {"sqst", "lqd", "lbytes", nullptr};
const char* const kScopes[] = {"optNodes", "allNodes", nullptr};
const char* const kCounterKinds[] = {"error", "all", nullptr};
const char* const kTraceLevels[] = {"__default", "__io", "__ioctl", "__config", "__all", nullptr};

Command make(CommandKind kind) {
    Command c{};
    c.kind = kind;
    c.needs_device = true;
    return c;
}

Command invalid_command() { return make(CommandKind::InvalidCommand); }
Command invalid_argument() { return make(CommandKind::InvalidArgument); }

// Words are numbered from 1 as in the grammar; W(i) beyond k is null.
struct Words {
    int k;
    const char* const* list;
    const char* operator()(int i) const { return i >= 1 && i <= k ? list[i - 1] : nullptr; }
};

bool numeric(const char* word) { return word != nullptr && is_numeric_word(word); }

// Whether W3..Wk hold "-k". Some positional rows ignore stray words, but colours
// and machine output never go together, so with an output word it is refused.
bool colour_word(const Words& w) {
    for (int i = 3; i <= w.k; i++)
        if (equal(w(i), "-k")) return true;
    return false;
}

// The positional rows that take an output word anywhere after the second word
// match the rest as they would without it; a second output word, or "-k" beside
// one, is an invalid argument.
Command with_output(const Words& w, const CommandLine& line, Command (*row)(const Words&)) {
    if (line.mode == OutputMode::Text) return row(w);
    if (line.output_words > 1 || colour_word(w)) return invalid_argument();
    return row(w);
}

Command query_adapter(const Words& w) {
    int k = w.k;
    if (k > 5) return invalid_argument();
    Command c = make(CommandKind::ShowAdapters);
    int option = 3;
    if (k >= 3) {
        if (numeric(w(3))) {
            c.number = numeric_value(w(3));
            c.flags |= AF_ONE_ADAPTER;
            option = 4;
        } else if (k == 3 && !equal(w(3), "-itype") && !equal(w(3), "-a")) {
            return invalid_argument();
        }
    }
    if (w(option) != nullptr && equal(w(option), "-itype")) {
        const char* type = w(option + 1);
        if (type == nullptr) return invalid_argument();
        if (equal(type, "iscsi"))
            c.flags |= AF_ISCSI;
        else if (equal(type, "fc"))
            c.flags |= AF_FC;
        else if (equal(type, "sas"))
            c.flags |= AF_SAS;
        else
            return invalid_argument();
    }
    for (int i = 1; i <= k; i++)
        if (equal(w(i), "-a")) c.all_adapters = true;
    return c;
}

Command query_devices(const Words& w, const CommandLine& line, uint32_t request_code) {
    // The output word is one more option of the free-order list: it does not count
    // toward the limit, but a second one does (the option parser refuses it).
    int extra = line.output_words > 1 ? line.output_words - 1 : 0;
    if (w.k + extra > 10) return invalid_argument();
    Command c = make(CommandKind::ListDevices);
    c.flags = QF_ANY_TYPE;
    c.request_code = request_code;
    // The first of -c and -csv wins; only one of them is ever recorded.
    for (int i = 1; i <= w.k; i++) {
        if (equal(w(i), "-c")) {
            c.present_only = true;
            break;
        }
        if (equal(w(i), "-csv")) {
            c.csv_only = true;
            break;
        }
    }
    return c;
}

// query health [-s] [-tpgs] [-json]: each option at most once, in any order. The
// handler opens the driver itself, so that a missing driver is a health verdict.
Command health_command(const Words& w, const CommandLine& line) {
    if (line.output_words > 1) return invalid_argument();
    Command c = make(CommandKind::QueryHealth);
    c.needs_device = false;
    c.value = line.mode == OutputMode::Json ? 1 : 0;
    for (int i = 3; i <= w.k; i++) {
        uint32_t bit = equal(w(i), "-s") ? QF_SCSI_ADDR : equal(w(i), "-tpgs") ? QF_TPGS : 0;
        if (bit == 0 || (c.flags & bit) != 0) return invalid_argument();
        c.flags |= bit;
    }
    return c;
}

Command query_adapter_stats(const Words& w) {
    Command c = make(CommandKind::ShowAdapterStats);
    if (w.k == 2) return c;
    if (w.k == 3 && numeric(w(3)) && numeric_value(w(3)) < DSM_MAX_ADAPTERS) {
        c.number = numeric_value(w(3));
        c.value = 1;
        return c;
    }
    return invalid_argument();
}

Command query_version(const Words& w) {
    Command c = make(CommandKind::ShowVersions);
    c.needs_device = false;
    if (w.k == 3) {
        if (!equal(w(3), "-b")) c.kind = CommandKind::InvalidArgument;
        c.value = 1;  // the build-number flag
    }
    return c;
}

// query diff FILE [-json]: the output word only after FILE. The handler reads FILE
// before it opens the driver.
Command diff_command(const Words& w, const CommandLine& line) {
    if (w.k != 3 || line.output_words > 1 || line.after_output_word[2]) return invalid_argument();
    Command c = make(CommandKind::QueryDiff);
    c.needs_device = false;
    c.word = w(3);
    c.value = line.mode == OutputMode::Json ? 1 : 0;
    return c;
}

Command query_family(const Words& w, const CommandLine& line) {
    const char* what = w(2);
    int k = w.k;
    if (equal(what, "health")) return health_command(w, line);
    if (equal(what, "diff")) return diff_command(w, line);
    if (equal(what, "adapter")) return with_output(w, line, query_adapter);
    if (equal(what, "device")) return query_devices(w, line, IOCTL_DSM_GET_DEVICE_INFO);
    if (equal(what, "devstats")) return query_devices(w, line, IOCTL_DSM_GET_DEVICE_STATS);
    if (equal(what, "adaptstats")) return with_output(w, line, query_adapter_stats);
    if (k == 2 && equal(what, "essmap")) return make(CommandKind::ShowEssMap);
    if (k == 2 && equal(what, "portmap")) return make(CommandKind::ShowPortMap);
    if (k == 4 && equal(w(3), "-d") && (equal(what, "retrydelay") || equal(what, "repeats"))) {
        Command c = make(equal(what, "retrydelay") ? CommandKind::GetRetryDelay : CommandKind::GetRepeat);
        c.word = w(4);
        return c;
    }
    return invalid_argument();
}

// A change row whose line carried guard words: a what-if or a guarded change when
// they stood after the change's own `words` words (none before, none between, no
// other word after), each once, with one of -whatif and -ifsafe and -json only
// beside -whatif, and the change takes something offline; otherwise an invalid
// argument, shown with the usage text as before whatever the words were.
Command guarded(Command change, const CommandLine& line, int words) {
    uint8_t g = line.guard_words;
    bool placed = line.k == words;
    for (int i = 0; i < line.k; i++) placed = placed && !line.after_output_word[i];
    bool one_mode = ((g & kGuardWhatIf) != 0) != ((g & kGuardIfSafe) != 0);
    bool json_fits = (g & kGuardJson) == 0 || (g & kGuardWhatIf) != 0;
    if (!placed || !one_mode || !json_fits || line.guard_repeated || change.word == nullptr ||
        !equal(change.word, "offline"))
        return invalid_argument();
    change.guard = (g & kGuardWhatIf) != 0 ? GuardMode::WhatIf : GuardMode::IfSafe;
    change.guard_tpgs = (g & kGuardTpgs) != 0;
    change.guard_json = (g & kGuardJson) != 0;
    return change;
}

Command path_command(const Words& w) {
    Command c{};
    const char* action = w(6);
    if (w.k == 7 && equal(action, "preferred")) {
        if (!numeric(w(7))) return invalid_argument();
        c = make(CommandKind::SetPreferredPath);
        c.value = numeric_value(w(7));
    } else if (one_of(action, kStateWords)) {
        c = make(CommandKind::SetPathState);  // a seventh word is ignored
        c.word = action;
    } else {
        return invalid_argument();
    }
    c.number = numeric_value(w(3));
    c.number2 = numeric_value(w(5));
    return c;
}

// "set device" first last "policy" p [scope], with `at` the position of "policy".
Command policy_command(const Words& w, int at, int32_t first, int32_t last) {
    if (!equal(w(at), "policy")) return invalid_argument();
    const char* policy = w(at + 1);
    const char* scope = w(at + 2);  // the callers' word counts leave room for at most this one
    bool valid = scope != nullptr ? one_of(policy, kScopedPolicies) && one_of(scope, kScopes)
                                  : one_of(policy, kUnscopedPolicies);
    if (!valid) return invalid_argument();
    Command c = make(CommandKind::SetPolicy);
    c.number = first;
    c.number2 = last;
    c.word = policy;
    c.word2 = scope;
    return c;
}

Command set_device(const Words& w, const CommandLine& line) {
    int k = w.k;
    bool path_row = k >= 6 && numeric(w(3)) && equal(w(4), "path") && numeric(w(5));
    // Without the guard words a seventh word of the path row is ignored, as ever.
    if (line.guard_words != 0) return path_row ? guarded(path_command(w), line, 6) : invalid_argument();
    if (k < 5 || k > 7) return invalid_argument();
    if (k == 5 && equal(w(4), "path")) return invalid_argument();
    if (path_row) return path_command(w);
    if (!numeric(w(3))) return invalid_argument();
    int32_t first = numeric_value(w(3));
    // n policy p (k 5), n policy p s (k 6); m n policy p (k 6), m n policy p s (k 7).
    if (equal(w(4), "policy")) {
        if (k == 7) return invalid_argument();
        return policy_command(w, 4, first, first);
    }
    if (k >= 6 && numeric(w(4))) return policy_command(w, 5, first, numeric_value(w(4)));
    return invalid_argument();
}

Command set_repeat_value(const Words& w, bool error_count) {
    if (w.k != 5 || !numeric(w(3)) || !equal(w(4), "-d")) return invalid_argument();
    int32_t v = numeric_value(w(3));
    if (error_count ? (v < 3 || v > 10) : (v < 1 || v > 30)) return invalid_argument();
    Command c = make(CommandKind::SetRepeat);
    c.word = w(5);
    c.repeat_error = error_count ? uint32_t(v) : DSM_REPEAT_UNCHANGED;
    c.repeat_interval = error_count ? DSM_REPEAT_UNCHANGED : uint32_t(v);
    return c;
}

Command set_performance(const Words& w) {
    Command c = make(CommandKind::SetPerformance);
    if (w.k == 3 && (equal(w(3), "on") || equal(w(3), "off"))) {
        c.perf_collection = equal(w(3), "on") ? 1 : 0;
        c.value = 0;  // mode: all devices
        return c;
    }
    if (w.k == 4 && equal(w(3), "device") && numeric(w(4))) {
        c.value = 1;  // mode: one device
        c.number = numeric_value(w(4));
        return c;
    }
    return invalid_argument();
}

Command set_family(const Words& w, const CommandLine& line) {
    const char* what = w(2);
    int k = w.k;
    if (equal(what, "adapter")) {
        if (line.guard_words != 0 && k >= 4) return guarded(set_family(Words{4, w.list}, CommandLine{}), line, 4);
        if (k != 4 || !numeric(w(3)) || !one_of(w(4), kAdapterWords)) return invalid_argument();
        Command c = make(CommandKind::SetAdapterState);
        c.number = numeric_value(w(3));
        c.word = w(4);
        return c;
    }
    if (equal(what, "device")) return set_device(w, line);
    if (equal(what, "performance")) return set_performance(w);
    if (equal(what, "retrydelay")) {
        if (k != 5 || !numeric(w(3)) || !equal(w(4), "-d")) return invalid_argument();
        Command c = make(CommandKind::SetRetryDelay);
        c.value = numeric_value(w(3));
        c.word = w(5);
        return c;
    }
    if (equal(what, "repeat_error")) return set_repeat_value(w, true);
    if (equal(what, "repeat_interval")) return set_repeat_value(w, false);
    return invalid_argument();
}

Command clear_device(const Words& w) {
    int k = w.k;
    int count_at = k == 5 ? 4 : k == 6 ? 5 : 0;
    if (count_at == 0 || !equal(w(2), "device") || !equal(w(count_at), "count")) return invalid_command();
    for (int i = 3; i < count_at; i++)
        if (!numeric(w(i))) return invalid_argument();
    if (!one_of(w(k), kCounterKinds)) return invalid_argument();
    Command c = make(CommandKind::ClearCounters);
    c.number = numeric_value(w(3));
    c.number2 = numeric_value(w(count_at - 1));
    c.word = w(k);
    return c;
}

// The commands that start with neither "query" nor "set".
Command other_family(const Words& w) {
    const char* first = w(1);
    if (equal(first, "disable") || equal(first, "enable")) {
        if (w.k != 5 || !equal(w(2), "ports") || !equal(w(4), "ess")) return invalid_command();
        Command c = make(CommandKind::SetPortState);
        c.word = first;
        c.word2 = w(3);
        c.word3 = w(5);
        return c;
    }
    if (equal(first, "clear")) return clear_device(w);
    if (equal(first, "@trace")) {
        if (w.k != 2 || !one_of(w(2), kTraceLevels)) return invalid_command();
        Command c = make(CommandKind::SetTrace);
        c.word = w(2);
        return c;
    }
    return invalid_command();
}

Command parse_words(const Words& w, const CommandLine& line) {
    int k = w.k;
    if (k < 1 || (!equal(w(1), "rescanhw") && k < 2)) {
        Command c = invalid_command();
        c.needs_device = false;
        return c;
    }

    // Served without the driver.
    if (equal(w(1), "query") && equal(w(2), "version")) {
        Command c = with_output(w, line, query_version);
        c.needs_device = false;
        return c;
    }
    if (k == 2 && equal(w(1), "query") && (equal(w(2), "wwpn") || equal(w(2), "port"))) {
        Command c = make(equal(w(2), "wwpn") ? CommandKind::QueryWwpn : CommandKind::QueryPort);
        c.needs_device = false;
        return c;
    }

    if (equal(w(1), "rescanhw") && k <= 2) {
        Command c = make(CommandKind::RescanHardware);
        c.word = w(2);
        return c;
    }
    if (equal(w(1), "query")) return query_family(w, line);
    if (equal(w(1), "set")) return set_family(w, line);
    return other_family(w);
}

}  // namespace

Command parse_command_line(const CommandLine& line) {
    Words w{line.k, line.words};
    Command c = parse_words(w, line);
    // A line with an output word answers in that form, its grammar errors included.
    // The reports print their own documents (a warning exit is no failure there), so
    // only their grammar errors take the error document.
    bool report = c.kind == CommandKind::QueryHealth || c.kind == CommandKind::QueryDiff || c.guard != GuardMode::None;
    c.json = line.mode == OutputMode::Json && !report;
    return c;
}

Command parse_command(int k, const char* const* words) {
    CommandLine line;
    take_output_words(k, words, &line);
    return parse_command_line(line);
}
