// Splitting and reading the lines of the ESS map files: the fixed fields, the
// unavailable-path mark, the ESS id rules and the 159-character read.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "map_line.h"

namespace {

TEST(MapLine, TokensFillTheirFieldsAndAreCutToThem) {
    EssMapLine line;
    split_map_line("Disk123456789012 p Path3 O x 01-01-00 [FC] 75ABCDE10041234567890 IBM 2107900 "
                   "10GB 10 01 0000 0e Y R1-B1-H1-ZA-EXTRA 0 RAID5 twentieth",
                   &line);
    EXPECT_STREQ(line.disk, "Disk1234567");
    EXPECT_STREQ(line.path, "Path3");
    EXPECT_STREQ(line.p, "O");
    EXPECT_STREQ(line.location1, "01-01-0");
    EXPECT_STREQ(line.lun_sn, "75ABCDE100412345");
    EXPECT_STREQ(line.connection, "R1-B1-H1-ZA");
    EXPECT_STREQ(line.raid_mode, "RAID5");  // the cut tail never spills into the next field
    EXPECT_FALSE(line.not_available);

    split_map_line("  Disk1\tPart0 ", &line);
    EXPECT_STREQ(line.disk, "Disk1");
    EXPECT_STREQ(line.unused2, "Part0");
    EXPECT_STREQ(line.path, "");
}

TEST(MapLine, UnavailablePathJudgedOnWholeTokens) {
    EssMapLine line;
    // Token 9's field holds three characters, yet "Path" is recognised.
    split_map_line("Disk1 P Path2 * 0 a b SN Path not available", &line);
    EXPECT_TRUE(line.not_available);
    split_map_line("Disk1 P Path2 * 0 a b SN Pathway nothing availableness", &line);
    EXPECT_TRUE(line.not_available);  // each compared as a prefix
    split_map_line("Disk1 P Path2 * 0 a b SN Pat not available", &line);
    EXPECT_FALSE(line.not_available);
}

TEST(MapLine, EssIdRules) {
    EssMapLine line;
    char id[8] = "keep";
    split_map_line("D P Path0 * 0 a b 12312345 IBM 2105800", &line);
    EXPECT_TRUE(map_line_ess_id(&line, id));
    EXPECT_STREQ(id, "12345");
    split_map_line("D P Path0 * 0 a b 7512345678 IBM 1750500", &line);
    EXPECT_TRUE(map_line_ess_id(&line, id));
    EXPECT_STREQ(id, "7512345");
    split_map_line("D P Path0 * 0 a b 75AB IBM 2107900", &line);
    EXPECT_TRUE(map_line_ess_id(&line, id));
    EXPECT_STREQ(id, "75AB");
    split_map_line("D P Path0 * 0 a b 99 IBM 2105", &line);
    EXPECT_TRUE(map_line_ess_id(&line, id));
    EXPECT_STREQ(id, "");  // too short a serial gives no id at all
    strcpy(id, "kept");
    split_map_line("D P Path0 * 0 a b 99999999 ACME 3000", &line);
    EXPECT_FALSE(map_line_ess_id(&line, id));
    EXPECT_STREQ(id, "kept");
}

TEST(MapLine, ReadsAtMost159Characters) {
    char text[kMapLineChars + 1];
    std::string exact(159, 'x');
    std::string longer = std::string(159, 'y') + "tail";
    std::string data = exact + "\n" + longer + "\r\n\nlast";
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    fwrite(data.data(), 1, data.size(), f);
    rewind(f);
    ASSERT_TRUE(read_map_line(f, text));
    EXPECT_EQ(std::string(text), exact);  // its line end goes with it
    ASSERT_TRUE(read_map_line(f, text));
    EXPECT_EQ(std::string(text), std::string(159, 'y'));
    ASSERT_TRUE(read_map_line(f, text));
    EXPECT_EQ(std::string(text), "tail\r");
    ASSERT_TRUE(read_map_line(f, text));
    EXPECT_EQ(std::string(text), "");
    ASSERT_TRUE(read_map_line(f, text));
    EXPECT_EQ(std::string(text), "last");
    EXPECT_FALSE(read_map_line(f, text));
    fclose(f);
}

}  // namespace
