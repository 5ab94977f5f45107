// The output-mode pre-pass and what the grammar and the option parser make of a
// line without its output words: every meaning a line had with "-json" in it
// stays, the lookaheads that stopped at the word included.
#include <gtest/gtest.h>

#include <stdio.h>

#include <vector>

#include "command_grammar.h"
#include "handlers.h"
#include "invocation_settings.h"
#include "output_words.h"

namespace {

CommandLine take(std::vector<const char*> words) {
    CommandLine line;
    take_output_words(int(words.size()), words.data(), &line);
    return line;
}

TEST(OutputWords, TakenOnlyFromTheCommandsWithAnotherForm) {
    CommandLine device = take({"query", "device", "-json", "3", "-json"});
    EXPECT_EQ(device.mode, OutputMode::Json);
    EXPECT_EQ(device.output_words, 2);
    ASSERT_EQ(device.k, 3);
    EXPECT_STREQ(device.words[2], "3");
    EXPECT_TRUE(device.after_output_word[2]);
    EXPECT_TRUE(device.after_output_word[3]);  // one ended the line
    EXPECT_FALSE(device.after_output_word[1]);

    // Elsewhere "-json" is an ordinary word: a model.
    CommandLine retry = take({"query", "retrydelay", "-d", "-json"});
    EXPECT_EQ(retry.mode, OutputMode::Text);
    EXPECT_EQ(retry.k, 4);
    // The path row's stray seventh word stays a word; the guard words of the two
    // offline changes (-json among them) are taken off, each as its bit.
    EXPECT_EQ(take({"set", "device", "1", "path", "0", "offline", "now"}).k, 7);
    CommandLine path = take({"set", "device", "1", "path", "0", "offline", "-json", "-tpgs", "-whatif"});
    EXPECT_EQ(path.k, 6);
    // A guard word never switches the mode: only the grammar, finding a valid
    // what-if, makes its -json a document, so a bad line keeps its usage text.
    EXPECT_EQ(path.mode, OutputMode::Text);
    EXPECT_EQ(path.guard_words, kGuardJson | kGuardTpgs | kGuardWhatIf);
    Command whatif = parse_command_line(path);
    EXPECT_EQ(whatif.guard, GuardMode::WhatIf);
    EXPECT_TRUE(whatif.guard_json);
    Command policy = parse_command(6, std::vector<const char*>{"set", "device", "0", "policy", "rr", "-json"}.data());
    EXPECT_EQ(policy.kind, CommandKind::InvalidArgument);
    EXPECT_FALSE(policy.json);
    EXPECT_FALSE(path.guard_repeated);
    CommandLine twice = take({"set", "adapter", "1", "offline", "-ifsafe", "-ifsafe"});
    EXPECT_EQ(twice.guard_words, kGuardIfSafe);
    EXPECT_TRUE(twice.guard_repeated);
    EXPECT_EQ(take({"set", "retrydelay", "5", "-d", "-whatif"}).k, 5);
    // Only from W3 on.
    EXPECT_EQ(take({"query", "-json", "device"}).mode, OutputMode::Text);
}

TEST(OutputWords, ALongLineIsCutButEveryOutputWordCounts) {
    std::vector<const char*> words = {"query", "health"};
    for (int i = 0; i < 50; i++) words.push_back("-s");
    words.push_back("-json");
    CommandLine line = take(words);
    EXPECT_EQ(line.k, kMaxKeptWords);
    EXPECT_EQ(line.mode, OutputMode::Json);
    EXPECT_EQ(line.output_words, 1);
    Command c = parse_command(int(words.size()), words.data());
    EXPECT_EQ(c.kind, CommandKind::InvalidArgument);
    EXPECT_TRUE(c.json);  // the refusal is still a document
}

TEST(OutputWords, LookaheadsStopWhereTheWordStood) {
    CommandLine line = take({"query", "device", "5", "-json", "7"});
    EXPECT_STREQ(word_ahead(line, 2), "5");
    EXPECT_EQ(word_ahead(line, 3), nullptr);
    EXPECT_EQ(word_ahead(line, 4), nullptr);
}

struct Options {
    int32_t result;
    uint32_t flags;
};

Options options(std::vector<const char*> words) {
    reset_invocation_settings();
    uint32_t flags = QF_ANY_TYPE;
    fflush(stdout);
    int32_t result = parse_query_options(&flags, int(words.size()), words.data());
    return Options{result, flags};
}

// Lines where "-json" stands between an option and the word it looks at mean what
// they meant when the parser saw the word itself.
TEST(OutputWords, OptionsAcrossARemovedWord) {
    // Not a range: 5 is one device, and 7 then a second device number.
    EXPECT_EQ(options({"query", "device", "5", "-json", "7"}).result, -1);
    EXPECT_EQ(options({"query", "device", "5", "7", "-json"}).flags & QF_RANGE, uint32_t(QF_RANGE));
    // A model word must follow -d directly.
    EXPECT_EQ(options({"query", "device", "-d", "-json", "QVR1"}).result, -1);
    // "-i N" then the output word: endless, so the number after it is no count (and
    // a device number after -i is refused).
    EXPECT_EQ(options({"query", "device", "-i", "5", "-json", "3"}).result, -1);
    EXPECT_EQ(options({"query", "device", "-i", "5", "-json", "-d", "QVR1"}).result, 0);
    EXPECT_EQ(g_settings.display_count, 2147483647);
    EXPECT_EQ(options({"query", "device", "-i", "5", "3", "-json"}).result, 0);
    EXPECT_EQ(g_settings.display_count, 3);
    EXPECT_EQ(options({"query", "device", "-i", "-json", "5"}).result, -1);
    // With every interface chosen, the word after -itype is not looked at, so the
    // output word there was taken for it and a later one is the first.
    Options all = options({"query", "device", "-itype", "iscsi", "-itype", "fc", "-itype", "sas", "-itype", "-json",
                           "-json"});
    EXPECT_EQ(all.result, 0);
    EXPECT_EQ(options({"query", "device", "-itype", "iscsi", "-itype", "-json"}).result, -1);
}

CommandKind kind(std::vector<const char*> words) { return parse_command(int(words.size()), words.data()).kind; }

TEST(OutputWords, GrammarLimitsCountEveryOutputWordButOne) {
    // Ten kept words and one output word: a listing; two output words: the grammar
    // refuses it before the driver is opened.
    EXPECT_EQ(kind({"query", "device", "1", "-c", "-c", "-c", "-c", "-c", "-c", "-c", "-json"}), CommandKind::ListDevices);
    EXPECT_EQ(kind({"query", "device", "1", "-c", "-c", "-c", "-c", "-c", "-c", "-json", "-json"}),
              CommandKind::ListDevices);  // the option parser refuses the second
    EXPECT_EQ(kind({"query", "device", "1", "-c", "-c", "-c", "-c", "-c", "-c", "-c", "-json", "-json"}),
              CommandKind::InvalidArgument);
    // diff: the output word only after FILE; "-k" may be the file's name.
    EXPECT_EQ(kind({"query", "diff", "-json", "f"}), CommandKind::InvalidArgument);
    Command named_k = parse_command(4, std::vector<const char*>{"query", "diff", "-k", "-json"}.data());
    EXPECT_EQ(named_k.kind, CommandKind::QueryDiff);
    EXPECT_EQ(named_k.value, 1);
    EXPECT_FALSE(named_k.json);  // the report writes its own documents
    // version: any long line is the plain version, in the chosen form.
    Command version = parse_command(6, std::vector<const char*>{"query", "version", "-json", "x", "y", "z"}.data());
    EXPECT_EQ(version.kind, CommandKind::ShowVersions);
    EXPECT_EQ(version.value, 0);
    EXPECT_FALSE(version.needs_device);
}

}  // namespace
