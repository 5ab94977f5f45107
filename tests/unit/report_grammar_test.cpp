// The grammar of the two report words: their options, and what stays invalid.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "command_grammar.h"
#include "invocation_settings.h"

namespace {

Command parse(std::initializer_list<const char*> words) {
    std::vector<const char*> list(words);
    return parse_command(int(list.size()), list.data());
}

TEST(ReportGrammar, HealthOptionsInAnyOrderOnceEach) {
    Command plain = parse({"query", "health"});
    EXPECT_EQ(plain.kind, CommandKind::QueryHealth);
    EXPECT_FALSE(plain.needs_device);  // a missing driver is a verdict, not a grammar error
    EXPECT_EQ(plain.flags, 0u);
    EXPECT_EQ(plain.value, 0);
    Command all = parse({"query", "health", "-json", "-tpgs", "-s"});
    EXPECT_EQ(all.kind, CommandKind::QueryHealth);
    EXPECT_EQ(all.flags, QF_SCSI_ADDR | QF_TPGS);
    EXPECT_EQ(all.value, 1);
    EXPECT_EQ(parse({"query", "health", "-s", "-s"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "health", "-json", "-json"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "health", "-a"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "health", "3"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "health", "-s", "-tpgs", "-json", "-k"}).kind, CommandKind::InvalidArgument);
}

TEST(ReportGrammar, DiffTakesOneFileAndAnOptionalJson) {
    Command plain = parse({"query", "diff", "base.json"});
    EXPECT_EQ(plain.kind, CommandKind::QueryDiff);
    EXPECT_FALSE(plain.needs_device);
    EXPECT_STREQ(plain.word, "base.json");
    EXPECT_EQ(plain.value, 0);
    Command json = parse({"query", "diff", "base.json", "-json"});
    EXPECT_EQ(json.kind, CommandKind::QueryDiff);
    EXPECT_EQ(json.value, 1);
    EXPECT_EQ(parse({"query", "diff"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "diff", "-json"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "diff", "-json", "base.json"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "diff", "a", "b"}).kind, CommandKind::InvalidArgument);
    EXPECT_EQ(parse({"query", "diff", "a", "-json", "-json"}).kind, CommandKind::InvalidArgument);
}

}  // namespace
