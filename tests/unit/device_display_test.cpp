// The pure parts of the device display: LUN size texts and the model filter.
#include <gtest/gtest.h>

#include <string>

#include "device_display.h"
#include "device_facts.h"
#include "device_listing.h"

namespace {

std::string size_text(uint64_t last_lba, uint32_t block_length) {
    char text[32];
    format_lun_size(last_lba, block_length, text, sizeof text);
    return text;
}

TEST(LunSize, UnitsAroundTheirBoundaries) {
    EXPECT_EQ(size_text(20971519, 512), "10.0GB");
    EXPECT_EQ(size_text(1023999, 512), "500MB");
    EXPECT_EQ(size_text(2147483647, 512), " 1.0TB");
    EXPECT_EQ(size_text(1, 512), "1KB");
    EXPECT_EQ(size_text(0, 512), "0KB");
    EXPECT_EQ(size_text(2097151, 512), " 1.0GB");
    EXPECT_EQ(size_text(2097150, 512), "1023MB");
    EXPECT_EQ(size_text(2147483646, 512), "1024.0GB");
    EXPECT_EQ(size_text(0xFFFFFFFFull * 4, 4096), "64.0TB");
}

TEST(LunSize, ProductWrapsAsUnsigned64Bits) {
    // (2^64 - 1 + 1) * 512 wraps to 0.
    EXPECT_EQ(size_text(UINT64_MAX, 512), "0KB");
    EXPECT_EQ(size_text(UINT64_MAX, 0), "0KB");
}

TEST(ModelFilter, PrefixOfTheEightCharacters) {
    EXPECT_TRUE(model_matches("QVR*", "QVR7000 "));
    EXPECT_TRUE(model_matches("QVR7000", "QVR7000 "));
    EXPECT_TRUE(model_matches("TK70500A", "TK70500A"));
    EXPECT_FALSE(model_matches("QVR5", "QVR7000 "));
    // Longer than the identifier: the 9th character meets its end.
    EXPECT_FALSE(model_matches("TK70500AB", "TK70500A"));
    // A lone "*" is compared as it is.
    EXPECT_FALSE(model_matches("*", "QVR7000 "));
    // A zero byte in the identifier ends the comparison there.
    EXPECT_TRUE(model_matches("QVR", "QVR\0\0\0\0\0"));
    EXPECT_FALSE(model_matches("QVR7", "QVR\0\0\0\0\0"));
}

}  // namespace
