// The message formatter: built-in texts, the long usage texts, reuse of the one
// buffer, and preformatted texts that carry '%' from outside.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "message_text.h"
#include "usage_text.h"

namespace {

TEST(MessageText, BuiltInTextWithoutATable) {
    EXPECT_STREQ(get_message_text(0xC0000007, "No device file found\n"), "No device file found\n");
    EXPECT_STREQ(get_message_text(0x4000003D, "Device #%d is removed.", 7), "Device #7 is removed.");
}

TEST(MessageText, UsageTextsComeBackWhole) {
    std::string argument = get_message_text_as_is(0xC0000003, invalid_argument_text(), "\n");
    EXPECT_EQ(argument.size(), 1504u);
    EXPECT_EQ(argument.rfind("Invalid argument\n\nUsage:  ravlin query adapter", 0), 0u);
    const std::string last_line = "         TK70500    - Displays all TK70500 devices\n";
    EXPECT_EQ(argument.substr(argument.size() - last_line.size()), last_line);
    std::string command = get_message_text_as_is(0xC0000001, invalid_command_text(), "\n");
    EXPECT_EQ(command.size(), 1503u);
    EXPECT_EQ(command.substr(17), argument.substr(18));
}

TEST(MessageText, NextCallOverwritesTheBuffer) {
    const char* first = get_message_text(0x40000022, "ACTIVE");
    const char* second = get_message_text(0x40000023, "OFFLINE");
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "OFFLINE");
}

TEST(MessageText, PreformattedTextsPrintExactly) {
    // Values from outside (a model word, a serial) land in texts formatted before
    // the formatter sees them; none of their '%' may be read as a conversion.
    char text[128];
    const char* hostile[] = {"QVR%n%n%n", "%s%s%s%s", "100%%", "%x %p %08d"};
    for (const char* value : hostile) {
        snprintf(text, sizeof text, "Success: set device %ld path %ld to %s\n", 4L, 1L, value);
        EXPECT_STREQ(get_message_text_as_is(16, text, 4L, 1L, value), text) << value;
    }
}

}  // namespace
