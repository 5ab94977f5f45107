// The message catalogue: the rows' identifiers are well formed, the identifiers that
// carry more than one text are exactly the known ones, and the checks behind the
// catalogue's static_assert catch the faults they are there for.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "message_catalogue.h"
#include "message_text.h"

namespace {

TEST(MessageCatalogue, IdentifiersAreInformationalErrorsOrSmallSuccessCodes) {
    for (const CatalogueRow& row : kMessageCatalogue) {
        uint32_t severity = row.id >> 30;
        bool small_success = row.id < 0x100;
        bool code_only = (row.id & 0x0FFF0000u) == 0;  // facility 0 throughout
        EXPECT_TRUE(small_success || ((severity == 1 || severity == 3) && code_only)) << row.name;
    }
}

TEST(MessageCatalogue, NamesAndIdentifierTextPairsAreUnique) {
    std::set<std::string> names;
    std::set<std::pair<uint32_t, std::string>> texts;
    for (const CatalogueRow& row : kMessageCatalogue) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(texts.insert({row.id, row.text}).second) << row.name;
    }
}

// A message table holds one text per identifier; these identifiers deliberately
// carry several built-in texts, which tell their cases apart. A new identifier
// that gains a second text must be added here on purpose.
TEST(MessageCatalogue, OnlyTheKnownIdentifiersShareOneBetweenTexts) {
    const std::set<uint32_t> shared = {0xC0000003, 0xC0000006, 0xC0000007, 0xC0000009, 0xC000000B, 0x40000011,
                                       16,         0x40000016, 0x4000001A, 0x40000035, 0x40000036, 0x40000037,
                                       0x40000038, 0x4000003C, 0x4000003E, 0x40000024, 0x40000025, 0x40000026};
    std::map<uint32_t, int> texts;
    for (const CatalogueRow& row : kMessageCatalogue) texts[row.id]++;
    std::set<uint32_t> found;
    for (const auto& [id, count] : texts)
        if (count > 1) found.insert(id);
    EXPECT_EQ(found, shared);
}

TEST(MessageCatalogue, TheIoctlAndUserCommandTextsStayApart) {
    // One identifier, two texts that today's output prints in different commands.
    EXPECT_EQ(msg::IOCTL_ERROR_ID, msg::USER_COMMAND_ERROR_ID);
    EXPECT_STREQ(msg::IOCTL_ERROR, "Error executing ioctl to device file\n");
    EXPECT_STREQ(msg::USER_COMMAND_ERROR, "Error executing a user command!\n");
}

TEST(MessageCatalogue, LineEndVariantsAreRecognisedAndMustBeNamed) {
    using namespace catalogue_check;
    EXPECT_TRUE(plus_line_end("Device #%d.\n", "Device #%d."));
    EXPECT_FALSE(plus_line_end("Device #%d.", "Device #%d."));
    EXPECT_FALSE(plus_line_end("Device #%d.\n\n", "Device #%d."));
    EXPECT_FALSE(plus_line_end("Device #%d!\n", "Device #%d."));
    EXPECT_TRUE(named_line_end("DEVICE_GONE_LF", "DEVICE_GONE"));
    EXPECT_FALSE(named_line_end("DEVICE_GONE_NL", "DEVICE_GONE"));
    EXPECT_FALSE(named_line_end("OTHER_LF", "DEVICE_GONE"));
}

TEST(MessageCatalogue, TheFormatterTakesARowAsItsIdentifierAndText) {
    EXPECT_STREQ(get_message_text(MESSAGE(DEVICE_REMOVED), 12), "Device #12 is removed.");
    EXPECT_STREQ(get_message_text(MESSAGE(COMMAND_DEVICES_INVALID), 3, 9), "Device #3 to #9 are invalid. No such devices.");
    EXPECT_STREQ(get_message_text_as_is(MESSAGE(CONTROL_DEVICE_NAME)), "\\\\.\\RAVLIN");
}

}  // namespace
