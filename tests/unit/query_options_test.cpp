// The query option parser: the flag word and the selection settings it leaves,
// and -k through the platform's console query (a terminal, then a file).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "handlers.h"
#include "invocation_settings.h"
#include "platform.h"

namespace {

struct Parsed {
    int32_t result;
    uint32_t flags;
};

// Parses "query <words...>" from a fresh start, as the dispatcher hands it over.
Parsed parse(std::vector<const char*> words) {
    reset_invocation_settings();
    words.insert(words.begin(), "query");
    uint32_t flags = QF_ANY_TYPE;
    fflush(stdout);
    int32_t result = parse_query_options(&flags, int(words.size()), words.data());
    return Parsed{result, flags};
}

TEST(QueryOptions, NoOptionsLeaveAnyType) {
    Parsed p = parse({"device"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE);
}

TEST(QueryOptions, DeviceNumbersOneOrAPairInEitherOrder) {
    Parsed p = parse({"device", "7", "3"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_RANGE);
    EXPECT_EQ(g_settings.first_device, 3);
    EXPECT_EQ(g_settings.last_device, 7);

    p = parse({"devstats", "12"});
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_ONE_DEVICE);
    EXPECT_EQ(g_settings.first_device, 12);

    // The empty word is numeric, and a number too large saturates.
    p = parse({"device", ""});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(g_settings.first_device, 0);
    p = parse({"device", "99999999999"});
    EXPECT_EQ(g_settings.first_device, 2147483647);
}

TEST(QueryOptions, NumbersAndModelsExcludeEachOther) {
    EXPECT_EQ(parse({"device", "3", "4", "5"}).result, -1);
    EXPECT_EQ(parse({"device", "3", "-d", "QVR"}).result, -1);
    EXPECT_EQ(parse({"device", "-d", "QVR", "3"}).result, -1);
    EXPECT_EQ(parse({"device", "-i", "5", "3"}).result, 0);  // 3 is the repetition count
    EXPECT_EQ(parse({"device", "-i", "5", "3", "4"}).result, -1);
}

TEST(QueryOptions, ModelPrefixes) {
    Parsed p = parse({"device", "-d", "QVR5"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_MODEL);
    EXPECT_STREQ(g_settings.device_model, "QVR5");
    EXPECT_EQ(parse({"device", "-d", "TK70500X*"}).result, 0);
    EXPECT_EQ(parse({"device", "-d", "TK7050"}).result, -1);
    EXPECT_EQ(parse({"device", "-d", "qvr"}).result, -1);
    EXPECT_EQ(parse({"device", "-d"}).result, -1);
    EXPECT_EQ(parse({"device", "-d", "QVR1", "-d", "QVR2"}).result, -1);
}

TEST(QueryOptions, DeviceOnlyOptionsOnceAndNotForStatistics) {
    Parsed p = parse({"device", "-s", "-a", "-tpgs"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_SCSI_ADDR | QF_ALL_PATHS | QF_TPGS);
    for (const char* option : {"-s", "-a", "-tpgs"}) {
        EXPECT_EQ(parse({"devstats", option}).result, -1) << option;
        EXPECT_EQ(parse({"device", option, option}).result, -1) << option;
    }
    EXPECT_EQ(parse({"devstats", "-c", "-csv", "-c"}).result, 0);
}

TEST(QueryOptions, InterfaceTypesCombine) {
    Parsed p = parse({"device", "-itype", "fc", "-itype", "sas"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_FC | QF_SAS);
    EXPECT_EQ(parse({"device", "-itype", "scsi"}).result, -1);
    EXPECT_EQ(parse({"device", "-itype", "FC"}).result, -1);
    EXPECT_EQ(parse({"device", "-itype"}).result, -1);
    // With all three set the next word is skipped unread.
    p = parse({"devstats", "-itype", "fc", "-itype", "sas", "-itype", "iscsi", "-itype", "anything"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_FC | QF_SAS | QF_ISCSI);
}

TEST(QueryOptions, Repetitions) {
    Parsed p = parse({"device", "-i", "5"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_REPEAT);
    EXPECT_EQ(g_settings.display_interval, 5);
    EXPECT_EQ(g_settings.display_count, 2147483647);

    p = parse({"device", "-i", "5", "3"});
    EXPECT_EQ(g_settings.display_count, 3);

    p = parse({"device", "-i", "5", "-d", "QVR"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_REPEAT | QF_MODEL);
    EXPECT_EQ(g_settings.display_count, 2147483647);

    EXPECT_EQ(parse({"device", "-i", "5", "-s"}).result, -1);
    EXPECT_EQ(parse({"device", "-i", "0"}).result, -1);
    EXPECT_EQ(parse({"device", "-i", "5", "0"}).result, -1);
    EXPECT_EQ(parse({"device", "-i"}).result, -1);
    EXPECT_EQ(parse({"device", "-i", "1", "-i", "2"}).result, -1);
}

TEST(QueryOptions, UnknownWordStopsWithTheFlagsSoFar) {
    Parsed p = parse({"device", "-s", "-x", "-a"});
    EXPECT_EQ(p.result, -1);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_SCSI_ADDR);
}

// -json is one option of the free list, once; with it -k is refused before the
// console is asked, and "-i N" may be followed by it.
TEST(QueryOptions, JsonOnceAndNeverWithColour) {
    EXPECT_EQ(parse({"device", "-json", "3", "-s"}).result, 0);
    EXPECT_EQ(parse({"device", "-json", "3", "-json"}).result, -1);
    Parsed p = parse({"device", "-i", "5", "-json"});
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(g_settings.display_count, 2147483647);

    std::vector<const char*> words = {"query", "device", "-json", "-k"};
    reset_invocation_settings();
    g_settings.json_output = true;
    uint32_t flags = QF_ANY_TYPE;
    EXPECT_EQ(parse_query_options(&flags, int(words.size()), words.data()), -1);
    EXPECT_FALSE(g_settings.color_enabled);
}

// Runs `body` with standard output on the slave side of a new pseudo-terminal and
// returns what it wrote there.
template <typename Body>
std::string on_terminal(Body body) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    EXPECT_EQ(grantpt(master), 0);
    EXPECT_EQ(unlockpt(master), 0);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    EXPECT_GE(slave, 0);
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(slave, STDOUT_FILENO);
    body();
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(slave);
    std::string out;
    char buffer[256];
    fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(n));
    close(master);
    return out;
}

TEST(QueryOptions, ColourOnATerminal) {
    Parsed p{};
    std::string out = on_terminal([&] {
        p = parse({"device", "-k", "0"});
        // The colours the device display uses, and the plain attributes.
        for (uint16_t a : {14, 9, 0xF9, 0xFC, 0x9F, 10, 12, 7}) platform_console_set_attributes(a);
    });
    EXPECT_EQ(p.result, 0);
    EXPECT_TRUE(g_settings.color_enabled);
    EXPECT_EQ(g_settings.saved_attributes, 7);
    EXPECT_EQ(p.flags, QF_ANY_TYPE | QF_ONE_DEVICE);
    EXPECT_EQ(out,
              "\x1b[93;40m"    // 14: yellow
              "\x1b[94;40m"    // 9: light blue
              "\x1b[94;107m"   // 0xF9: light blue on white
              "\x1b[91;107m"   // 0xFC: light red on white
              "\x1b[97;104m"   // 0x9F: white on light blue
              "\x1b[92;40m"    // 10: light green
              "\x1b[91;40m"    // 12: light red
              "\x1b[37;40m");  // 7: grey on black
}

TEST(QueryOptions, ColourWithOutputRedirected) {
    FILE* file = tmpfile();
    ASSERT_NE(file, nullptr);
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(fileno(file), STDOUT_FILENO);
    Parsed p = parse({"devstats", "-k"});
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    rewind(file);
    char text[128] = {};
    size_t n = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    EXPECT_EQ(p.result, -1);
    EXPECT_FALSE(g_settings.color_enabled);
    EXPECT_EQ(std::string(text, n), "Error initializing color attributes (6)\n");
}

}  // namespace
