// The grammar's choice of handler and arguments, for the shapes that are easy to
// get wrong: gates, optional words, ranges and the set-device forms.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "command_grammar.h"
#include "dsm_interface.h"
#include "invocation_settings.h"
#include "numeric_word.h"

namespace {

// Keeps the words alive while the returned Command refers to them.
struct Parsed {
    std::vector<std::string> storage;
    std::vector<const char*> words;
    Command command;
};

Parsed parse(std::initializer_list<const char*> words) {
    Parsed p;
    for (const char* w : words) p.storage.emplace_back(w);
    for (const std::string& s : p.storage) p.words.push_back(s.c_str());
    p.command = parse_command(int(p.words.size()), p.words.data());
    return p;
}

CommandKind kind(std::initializer_list<const char*> words) { return parse(words).command.kind; }

constexpr CommandKind kBadCommand = CommandKind::InvalidCommand;
constexpr CommandKind kBadArgument = CommandKind::InvalidArgument;

TEST(CommandGrammar, WordCountGateComesBeforeTheDevice) {
    Parsed none = parse({});
    EXPECT_EQ(none.command.kind, kBadCommand);
    EXPECT_FALSE(none.command.needs_device);
    EXPECT_FALSE(parse({"query"}).command.needs_device);
    EXPECT_EQ(kind({"@trace"}), kBadCommand);

    Parsed rescan = parse({"rescanhw"});
    EXPECT_EQ(rescan.command.kind, CommandKind::RescanHardware);
    EXPECT_EQ(rescan.command.word, nullptr);
    EXPECT_TRUE(rescan.command.needs_device);
    EXPECT_STREQ(parse({"rescanhw", "x"}).command.word, "x");  // judged after the refresh request
    // Three words are not a rescan at all, and an unknown first word is found out
    // only after the device has been opened.
    Parsed long_rescan = parse({"rescanhw", "1", "2"});
    EXPECT_EQ(long_rescan.command.kind, kBadCommand);
    EXPECT_TRUE(long_rescan.command.needs_device);
    EXPECT_TRUE(parse({"foo", "bar"}).command.needs_device);
}

TEST(CommandGrammar, VersionAndHostPortsNeedNoDriver) {
    Parsed plain = parse({"query", "version"});
    EXPECT_EQ(plain.command.kind, CommandKind::ShowVersions);
    EXPECT_FALSE(plain.command.needs_device);
    EXPECT_EQ(plain.command.value, 0);
    EXPECT_EQ(parse({"query", "version", "-b"}).command.value, 1);
    Parsed bad = parse({"query", "version", "-x"});
    EXPECT_EQ(bad.command.kind, kBadArgument);
    EXPECT_FALSE(bad.command.needs_device);
    Parsed extra = parse({"query", "version", "a", "b"});
    EXPECT_EQ(extra.command.kind, CommandKind::ShowVersions);
    EXPECT_EQ(extra.command.value, 0);

    EXPECT_FALSE(parse({"query", "wwpn"}).command.needs_device);
    EXPECT_EQ(kind({"query", "port"}), CommandKind::QueryPort);
    Parsed wwpn_x = parse({"query", "wwpn", "x"});
    EXPECT_EQ(wwpn_x.command.kind, kBadArgument);
    EXPECT_TRUE(wwpn_x.command.needs_device);
    EXPECT_TRUE(parse({"query", "port", "x"}).command.needs_device);
}

TEST(CommandGrammar, AdapterQueryOptions) {
    Parsed all = parse({"query", "adapter"});
    EXPECT_EQ(all.command.kind, CommandKind::ShowAdapters);
    EXPECT_EQ(all.command.flags, 0u);

    Parsed one = parse({"query", "adapter", "3", "-itype", "iscsi"});
    EXPECT_EQ(one.command.number, 3);
    EXPECT_EQ(one.command.flags, AF_ONE_ADAPTER | AF_ISCSI);

    Parsed ignored = parse({"query", "adapter", "foo", "bar"});
    EXPECT_EQ(ignored.command.kind, CommandKind::ShowAdapters);
    EXPECT_EQ(ignored.command.flags, 0u);

    Parsed late_itype = parse({"query", "adapter", "-a", "-itype", "fc"});
    EXPECT_EQ(late_itype.command.flags, 0u);
    EXPECT_TRUE(late_itype.command.all_adapters);

    EXPECT_EQ(parse({"query", "adapter", "-itype", "sas"}).command.flags, AF_SAS);
    EXPECT_EQ(kind({"query", "adapter", "-itype"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adapter", "-itype", "scsi"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adapter", "2", "-itype"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adapter", "foo"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adapter", "1", "2", "3", "4", "5"}), kBadArgument);
    EXPECT_TRUE(parse({"query", "adapter", "-a"}).command.all_adapters);
    EXPECT_FALSE(parse({"query", "adapter", "2"}).command.all_adapters);
}

TEST(CommandGrammar, AdapterStatisticsBound) {
    Parsed last = parse({"query", "adaptstats", "31"});
    EXPECT_EQ(last.command.kind, CommandKind::ShowAdapterStats);
    EXPECT_EQ(last.command.number, 31);
    EXPECT_EQ(last.command.value, 1);
    EXPECT_EQ(kind({"query", "adaptstats", "32"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adaptstats", "99999999999"}), kBadArgument);  // saturates, still too big
    EXPECT_EQ(kind({"query", "adaptstats", "-1"}), kBadArgument);
    EXPECT_EQ(kind({"query", "adaptstats", "1", "2"}), kBadArgument);
    Parsed empty = parse({"query", "adaptstats", ""});
    EXPECT_EQ(empty.command.number, 0);
    EXPECT_EQ(empty.command.value, 1);
    Parsed every = parse({"query", "adaptstats"});
    EXPECT_EQ(every.command.number, 0);
    EXPECT_EQ(every.command.value, 0);
}

TEST(CommandGrammar, DeviceQueriesKeepTheFirstOfPresentAndCsv) {
    Parsed c_first = parse({"query", "device", "-c", "-csv"});
    EXPECT_EQ(c_first.command.kind, CommandKind::ListDevices);
    EXPECT_EQ(c_first.command.flags, QF_ANY_TYPE);
    EXPECT_EQ(c_first.command.request_code, IOCTL_DSM_GET_DEVICE_INFO);
    EXPECT_TRUE(c_first.command.present_only);
    EXPECT_FALSE(c_first.command.csv_only);

    Parsed csv_first = parse({"query", "devstats", "-csv", "-c"});
    EXPECT_EQ(csv_first.command.request_code, IOCTL_DSM_GET_DEVICE_STATS);
    EXPECT_TRUE(csv_first.command.csv_only);
    EXPECT_FALSE(csv_first.command.present_only);

    EXPECT_EQ(kind({"query", "device", "1", "2", "3", "4", "5", "6", "7", "8"}), CommandKind::ListDevices);
    EXPECT_EQ(kind({"query", "device", "1", "2", "3", "4", "5", "6", "7", "8", "9"}), kBadArgument);
}

TEST(CommandGrammar, MapsAndModelQueries) {
    EXPECT_EQ(kind({"query", "essmap"}), CommandKind::ShowEssMap);
    EXPECT_EQ(kind({"query", "portmap"}), CommandKind::ShowPortMap);
    EXPECT_EQ(kind({"query", "essmap", "x"}), kBadArgument);
    Parsed retry = parse({"query", "retrydelay", "-d", "QVR%n"});
    EXPECT_EQ(retry.command.kind, CommandKind::GetRetryDelay);
    EXPECT_STREQ(retry.command.word, "QVR%n");
    EXPECT_EQ(kind({"query", "repeats", "-d", "TK70500"}), CommandKind::GetRepeat);
    EXPECT_EQ(kind({"query", "repeats", "-x", "TK70500"}), kBadArgument);
    EXPECT_EQ(kind({"query", "frobnicate"}), kBadArgument);
}

TEST(CommandGrammar, RepeatRangesAndRetryDelay) {
    struct Case {
        const char* which;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"repeat_error", "3", true},     {"repeat_error", "10", true},    {"repeat_error", "2", false},
        {"repeat_error", "11", false},   {"repeat_interval", "1", true},  {"repeat_interval", "30", true},
        {"repeat_interval", "0", false}, {"repeat_interval", "31", false}, {"repeat_error", "x", false},
    };
    for (const Case& c : cases) {
        Parsed p = parse({"set", c.which, c.value, "-d", "QVR"});
        EXPECT_EQ(p.command.kind == CommandKind::SetRepeat, c.accepted) << c.which << " " << c.value;
    }
    Parsed error = parse({"set", "repeat_error", "4", "-d", "QVR"});
    EXPECT_EQ(error.command.repeat_error, 4u);
    EXPECT_EQ(error.command.repeat_interval, DSM_REPEAT_UNCHANGED);
    Parsed interval = parse({"set", "repeat_interval", "7", "-d", "QVR"});
    EXPECT_EQ(interval.command.repeat_error, DSM_REPEAT_UNCHANGED);
    EXPECT_EQ(interval.command.repeat_interval, 7u);
    EXPECT_EQ(kind({"set", "repeat_error", "40", "-x", "QVR"}), kBadArgument);

    Parsed retry = parse({"set", "retrydelay", "123456", "-d", "TK70500"});
    EXPECT_EQ(retry.command.kind, CommandKind::SetRetryDelay);
    EXPECT_EQ(retry.command.value, 123456);
}

TEST(CommandGrammar, SetDevicePathForms) {
    Parsed online = parse({"set", "device", "4", "path", "1", "online", "x"});
    EXPECT_EQ(online.command.kind, CommandKind::SetPathState);
    EXPECT_EQ(online.command.number, 4);
    EXPECT_EQ(online.command.number2, 1);
    EXPECT_STREQ(online.command.word, "online");

    Parsed preferred = parse({"set", "device", "4", "path", "2", "preferred", "1"});
    EXPECT_EQ(preferred.command.kind, CommandKind::SetPreferredPath);
    EXPECT_EQ(preferred.command.value, 1);
    // The flag's range is the handler's business; only its digits are the grammar's.
    EXPECT_EQ(parse({"set", "device", "4", "path", "2", "preferred", "2"}).command.value, 2);
    EXPECT_EQ(kind({"set", "device", "4", "path", "2", "preferred", "x"}), kBadArgument);

    EXPECT_EQ(kind({"set", "device", "4", "path", "1", "preferred"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "path", "1"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "path", "1", "sideways"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "x", "path", "1", "online"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "foo", "bar", "baz"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "1", "2", "policy", "rr", "x", "y"}), kBadArgument);
}

TEST(CommandGrammar, GuardWordsOnTheOfflineChanges) {
    Parsed whatif = parse({"set", "adapter", "2", "offline", "-tpgs", "-json", "-whatif"});
    EXPECT_EQ(whatif.command.kind, CommandKind::SetAdapterState);
    EXPECT_EQ(whatif.command.guard, GuardMode::WhatIf);
    EXPECT_TRUE(whatif.command.guard_tpgs);
    EXPECT_TRUE(whatif.command.guard_json);
    EXPECT_FALSE(whatif.command.json);  // the what-if prints its own document
    EXPECT_EQ(whatif.command.number, 2);

    Parsed ifsafe = parse({"set", "device", "4", "path", "1", "offline", "-ifsafe"});
    EXPECT_EQ(ifsafe.command.kind, CommandKind::SetPathState);
    EXPECT_EQ(ifsafe.command.guard, GuardMode::IfSafe);
    EXPECT_FALSE(ifsafe.command.guard_tpgs);
    EXPECT_EQ(ifsafe.command.number, 4);
    EXPECT_EQ(ifsafe.command.number2, 1);
    EXPECT_STREQ(ifsafe.command.word, "offline");

    // Without them every line keeps its meaning: the path row ignores a seventh word.
    Parsed plain = parse({"set", "device", "4", "path", "1", "offline", "-whatIf"});
    EXPECT_EQ(plain.command.kind, CommandKind::SetPathState);
    EXPECT_EQ(plain.command.guard, GuardMode::None);
    EXPECT_EQ(parse({"set", "adapter", "2", "offline"}).command.guard, GuardMode::None);
    EXPECT_EQ(kind({"set", "adapter", "2", "offline", "x"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "path", "1", "offline", "x", "y"}), kBadArgument);

    // With them, anything off the rule is invalid.
    const std::initializer_list<const char*> bad[] = {
        {"set", "adapter", "2", "offline", "-whatif", "-ifsafe"},
        {"set", "adapter", "2", "offline", "-whatif", "-whatif"},
        {"set", "adapter", "2", "offline", "-ifsafe", "-json"},
        {"set", "adapter", "2", "offline", "-tpgs"},
        {"set", "adapter", "2", "offline", "-json"},
        {"set", "adapter", "2", "offline", "-whatif", "x"},
        {"set", "adapter", "2", "offline", "-whatif", "-tpgs", "-tpgs"},
        {"set", "adapter", "2", "online", "-whatif"},
        {"set", "adapter", "2", "pathcountref", "-ifsafe"},
        {"set", "adapter", "x", "offline", "-whatif"},
        {"set", "device", "4", "path", "1", "online", "-whatif"},
        {"set", "device", "4", "path", "1", "preferred", "-whatif"},
        {"set", "device", "4", "path", "x", "offline", "-whatif"},
        {"set", "device", "4", "path", "1", "offline", "-whatif", "-json", "-tpgs", "-ifsafe"},
        // Only after the change's own words.
        {"set", "adapter", "2", "-whatif", "offline"},
        {"set", "device", "4", "path", "-ifsafe", "1", "offline"},
        {"set", "device", "4", "path", "1", "-whatif", "offline"},
        {"set", "device", "4", "path", "1", "offline", "x", "-whatif"},
        // Other rows of the two commands take none of them.
        {"set", "device", "4", "policy", "rr", "-whatif"},
        {"set", "device", "4", "5", "policy", "rr", "-json"},
    };
    for (const auto& words : bad) {
        Parsed p = parse(words);
        EXPECT_EQ(p.command.kind, kBadArgument) << p.words.size();
        EXPECT_EQ(p.command.guard, GuardMode::None);
    }
    // A bad guarded line keeps the usage text of every invalid set line, -json or not.
    EXPECT_FALSE(parse({"set", "adapter", "2", "offline", "-ifsafe", "-json"}).command.json);
    EXPECT_FALSE(parse({"set", "device", "4", "path", "1", "offline", "-json"}).command.json);
    EXPECT_FALSE(parse({"set", "adapter", "2", "offline", "-ifsafe", "-whatif"}).command.json);

    // Every word at most once, so four is the most a valid line carries.
    Parsed all = parse({"set", "device", "4", "path", "1", "offline", "-json", "-tpgs", "-whatif"});
    EXPECT_EQ(all.command.guard, GuardMode::WhatIf);
    EXPECT_TRUE(all.command.guard_json);
}

TEST(CommandGrammar, SetDevicePolicyForms) {
    Parsed single = parse({"set", "device", "4", "policy", "rr"});
    EXPECT_EQ(single.command.kind, CommandKind::SetPolicy);
    EXPECT_EQ(single.command.number, 4);
    EXPECT_EQ(single.command.number2, 4);
    EXPECT_EQ(single.command.word2, nullptr);

    Parsed scoped = parse({"set", "device", "4", "policy", "sqst", "allNodes"});
    EXPECT_EQ(scoped.command.kind, CommandKind::SetPolicy);
    EXPECT_EQ(scoped.command.number2, 4);
    EXPECT_STREQ(scoped.command.word2, "allNodes");

    Parsed range = parse({"set", "device", "9", "2", "policy", "lbytes", "optNodes"});
    EXPECT_EQ(range.command.kind, CommandKind::SetPolicy);
    EXPECT_EQ(range.command.number, 9);  // ordering the range is the handler's
    EXPECT_EQ(range.command.number2, 2);
    EXPECT_EQ(kind({"set", "device", "1", "5", "policy", "df"}), CommandKind::SetPolicy);

    EXPECT_EQ(kind({"set", "device", "4", "policy", "sqst"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "policy", "rr", "optNodes"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "policy", "lqd", "someNodes"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "4", "policy", "RR"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "1", "5", "policy", "sqst"}), kBadArgument);
    EXPECT_EQ(kind({"set", "device", "1", "x", "policy", "rr"}), kBadArgument);
}

TEST(CommandGrammar, AdapterStateAndPerformance) {
    Parsed adapter = parse({"set", "adapter", "2", "pathcountref"});
    EXPECT_EQ(adapter.command.kind, CommandKind::SetAdapterState);
    EXPECT_EQ(adapter.command.number, 2);
    EXPECT_EQ(kind({"set", "adapter", "x", "online"}), kBadArgument);
    EXPECT_EQ(kind({"set", "adapter", "2", "sideways"}), kBadArgument);

    Parsed on = parse({"set", "performance", "on"});
    EXPECT_EQ(on.command.kind, CommandKind::SetPerformance);
    EXPECT_EQ(on.command.perf_collection, 1u);
    EXPECT_EQ(on.command.value, 0);
    EXPECT_EQ(parse({"set", "performance", "off"}).command.perf_collection, 0u);
    Parsed device = parse({"set", "performance", "device", "12"});
    EXPECT_EQ(device.command.value, 1);
    EXPECT_EQ(device.command.number, 12);
    EXPECT_EQ(kind({"set", "performance", "maybe"}), kBadArgument);
    EXPECT_EQ(kind({"set", "performance", "device", "x"}), kBadArgument);
    EXPECT_EQ(kind({"set", "performance"}), kBadArgument);
    EXPECT_EQ(kind({"set", "everything", "on"}), kBadArgument);
}

TEST(CommandGrammar, ClearPortsAndTraceShapes) {
    Parsed one = parse({"clear", "device", "3", "count", "all"});
    EXPECT_EQ(one.command.kind, CommandKind::ClearCounters);
    EXPECT_EQ(one.command.number, 3);
    EXPECT_EQ(one.command.number2, 3);
    Parsed range = parse({"clear", "device", "7", "2", "count", "error"});
    EXPECT_EQ(range.command.number, 7);
    EXPECT_EQ(range.command.number2, 2);
    // A wrong shape is an invalid command; a right shape with bad values an invalid argument.
    EXPECT_EQ(kind({"clear", "device", "3", "all"}), kBadCommand);
    EXPECT_EQ(kind({"clear", "adapter", "3", "count", "all"}), kBadCommand);
    EXPECT_EQ(kind({"clear", "device", "x", "count", "all"}), kBadArgument);
    EXPECT_EQ(kind({"clear", "device", "3", "count", "some"}), kBadArgument);

    Parsed ports = parse({"disable", "ports", "R1-B2-H3-ZA", "ess", "75-1234"});
    EXPECT_EQ(ports.command.kind, CommandKind::SetPortState);
    EXPECT_STREQ(ports.command.word, "disable");
    EXPECT_STREQ(ports.command.word2, "R1-B2-H3-ZA");
    EXPECT_STREQ(ports.command.word3, "75-1234");
    EXPECT_EQ(kind({"enable", "port", "a", "ess", "b"}), kBadCommand);

    EXPECT_EQ(kind({"@trace", "__all"}), CommandKind::SetTrace);
    EXPECT_EQ(kind({"@trace", "__verbose"}), kBadCommand);
    EXPECT_EQ(kind({"@trace", "__io", "x"}), kBadCommand);
}

}  // namespace

namespace {

// "-json" on the five queries that take it; every line without it keeps its meaning.
TEST(CommandGrammar, JsonWordOnTheQueries) {
    Parsed devices = parse({"query", "device", "-json"});
    EXPECT_EQ(devices.command.kind, CommandKind::ListDevices);
    EXPECT_TRUE(devices.command.json);
    EXPECT_FALSE(parse({"query", "device", "3"}).command.json);
    // The word limit grows by one with -json, and only then.
    EXPECT_EQ(kind({"query", "device", "1", "-s", "-a", "-tpgs", "-c", "-itype", "fc", "-i", "5"}), kBadArgument);
    EXPECT_EQ(kind({"query", "devstats", "1", "-c", "-c", "-c", "-c", "-c", "-c", "-c", "-json"}), CommandKind::ListDevices);
    Parsed too_long = parse({"query", "devstats", "1", "-c", "-c", "-c", "-c", "-c", "-c", "-c", "-c", "-json"});
    EXPECT_EQ(too_long.command.kind, kBadArgument);
    EXPECT_TRUE(too_long.command.json);  // the grammar error itself is a document

    // Positional rows: matched as without the word, wherever it stands.
    Parsed adapter = parse({"query", "adapter", "1", "-a", "-json"});
    EXPECT_EQ(adapter.command.kind, CommandKind::ShowAdapters);
    EXPECT_EQ(adapter.command.number, 1);
    EXPECT_EQ(adapter.command.flags, AF_ONE_ADAPTER);
    EXPECT_TRUE(adapter.command.all_adapters);
    EXPECT_TRUE(adapter.command.json);
    Parsed plain = parse({"query", "adapter", "1", "-a", "x"});  // the fifth word is still ignored
    EXPECT_EQ(plain.command.kind, CommandKind::ShowAdapters);
    EXPECT_FALSE(plain.command.json);
    EXPECT_EQ(parse({"query", "adapter", "-json", "-itype", "sas"}).command.flags, AF_SAS);
    Parsed twice = parse({"query", "adapter", "-json", "1", "-json"});
    EXPECT_EQ(twice.command.kind, kBadArgument);
    EXPECT_TRUE(twice.command.json);
    EXPECT_EQ(kind({"query", "adapter", "1", "-a", "-itype", "fc", "-json"}), kBadArgument);
    // The row ignores a stray "-k", but colours never go with machine output.
    EXPECT_EQ(kind({"query", "adapter", "-a", "-k"}), CommandKind::ShowAdapters);
    Parsed colour = parse({"query", "adapter", "-a", "-k", "-json"});
    EXPECT_EQ(colour.command.kind, kBadArgument);
    EXPECT_TRUE(colour.command.json);
    EXPECT_EQ(kind({"query", "version", "a", "-k", "b", "-json"}), kBadArgument);

    Parsed stats = parse({"query", "adaptstats", "-json", "3"});
    EXPECT_EQ(stats.command.kind, CommandKind::ShowAdapterStats);
    EXPECT_EQ(stats.command.number, 3);
    EXPECT_EQ(stats.command.value, 1);
    EXPECT_EQ(kind({"query", "adaptstats", "32", "-json"}), kBadArgument);

    Parsed version = parse({"query", "version", "-json", "-b"});
    EXPECT_EQ(version.command.kind, CommandKind::ShowVersions);
    EXPECT_EQ(version.command.value, 1);
    EXPECT_FALSE(version.command.needs_device);
    EXPECT_TRUE(version.command.json);
    EXPECT_EQ(parse({"query", "version", "-json"}).command.value, 0);
    // Four words without it: -b ignored, as before; with it the fourth word is gone.
    EXPECT_EQ(parse({"query", "version", "-b", "x"}).command.value, 0);
    EXPECT_EQ(parse({"query", "version", "-b", "-json"}).command.value, 1);
    EXPECT_EQ(kind({"query", "version", "-x", "-json"}), kBadArgument);
    Parsed bad_version = parse({"query", "version", "-json", "-json"});
    EXPECT_EQ(bad_version.command.kind, kBadArgument);
    EXPECT_FALSE(bad_version.command.needs_device);
    // A long line is the plain version, as without the word.
    Parsed long_version = parse({"query", "version", "a", "b", "c", "d", "e", "f", "g", "h", "i", "-json"});
    EXPECT_EQ(long_version.command.kind, CommandKind::ShowVersions);
    EXPECT_EQ(long_version.command.value, 0);
    EXPECT_TRUE(long_version.command.json);

    // Other rows are untouched: here "-json" is the model word.
    Parsed retry = parse({"query", "retrydelay", "-d", "-json"});
    EXPECT_EQ(retry.command.kind, CommandKind::GetRetryDelay);
    EXPECT_STREQ(retry.command.word, "-json");
    EXPECT_FALSE(retry.command.json);
    EXPECT_FALSE(parse({"query", "wwpn", "-json"}).command.json);
}

TEST(NumericWord, DigitsOnlyAndSaturating) {
    EXPECT_TRUE(is_numeric_word(""));
    EXPECT_TRUE(is_numeric_word("007"));
    EXPECT_FALSE(is_numeric_word("-1"));
    EXPECT_FALSE(is_numeric_word("+1"));
    EXPECT_FALSE(is_numeric_word("1 "));
    EXPECT_FALSE(is_numeric_word("\xD9\xA3"));  // a digit of another script is not a decimal digit here
    EXPECT_EQ(numeric_value(""), 0);
    EXPECT_EQ(numeric_value("007"), 7);
    EXPECT_EQ(numeric_value("2147483647"), 2147483647);
    EXPECT_EQ(numeric_value("2147483648"), 2147483647);
    EXPECT_EQ(numeric_value("99999999999999999999999"), 2147483647);
}

}  // namespace
