// The host port table: fenmar's own WWPNHP output read back through the command
// interpreter, the decoding of HostPort lines, and the temporary file and the
// tool that read_host_ports runs.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "host_ports.h"
#include "platform.h"

namespace {

struct Table {
    uint8_t ids[kHostPortMax];
    char wwpns[kHostPortMax][kHostPortTextSize];
    int32_t count = 0;
};

std::string build_dir() {
    char dir[4096];
    if (!platform_program_dir(dir, sizeof dir)) return "";
    return std::string(dir) + "../";  // the unit tests live in <build>/tests/
}

std::string make_temp_dir() {
    char path[] = "/tmp/host-ports-test-XXXXXX";
    return mkdtemp(path) != nullptr ? path : "";
}

int entries_in(const std::string& dir) {
    int n = 0;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return -1;
    while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) n++;
    closedir(d);
    return n;
}

// An executable shell script at `path` with `body`.
void write_script(const std::string& path, const std::string& body) {
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "#!/bin/sh\n%s", body.c_str());
    fclose(f);
    chmod(path.c_str(), 0755);
}

// A script that prints one HostPort line of an N_PORT with this WWPN and FC address.
std::string host_port_script(const char* wwpn, const char* fcid, const char* delay = "0") {
    return std::string("sleep ") + delay + "\nprintf '\\tHostPort: 00 WWPN: " + wwpn + "\\tFcId:" + fcid +
           "\\tPortType:N_PORT \\tPortState : HBA_PORTSTATE_ONLINE\\n'\n";
}

// Every test runs with its own TMPDIR, so what read_host_ports leaves there shows.
class HostPorts : public ::testing::Test {
protected:
    void SetUp() override {
        tmp_ = make_temp_dir();
        ASSERT_FALSE(tmp_.empty());
        const char* old = getenv("TMPDIR");
        saved_tmpdir_ = old != nullptr ? old : "";
        had_tmpdir_ = old != nullptr;
        setenv("TMPDIR", tmp_.c_str(), 1);
    }
    void TearDown() override {
        if (had_tmpdir_)
            setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::string rm = "rm -rf '" + tmp_ + "'";
        (void)!system(rm.c_str());
    }
    std::string tmp_;
    std::string saved_tmpdir_;
    bool had_tmpdir_ = false;
};

TEST_F(HostPorts, ReadsTheStoragePortsFromFenmarsOwnOutput) {
    // The simulated world lives outside the temporary folder, which must end empty.
    std::string build = build_dir();
    std::string root = make_temp_dir();
    setenv("RAVLIN_SIM_ROOT", root.c_str(), 1);
    std::string scenario = RAVLIN_SOURCE_DIR "/tests/cases/fenmar/two-adapters.json";
    std::string load = "'" + build + "sim/dsmsim/dsmsim' load '" + scenario + "' >/dev/null";
    int loaded = system(load.c_str());
    setenv("FENMAR_HBA_LIBRARY", (build + "sim/hba/libsimhba.so").c_str(), 1);
    Table t;
    std::string command = "'" + build + "tools/fenmar/fenmar' WWPNHP";
    int32_t status = read_host_ports(command.c_str(), t.ids, t.wwpns, &t.count);
    unsetenv("FENMAR_HBA_LIBRARY");
    unsetenv("RAVLIN_SIM_ROOT");
    std::string rm = "rm -rf '" + root + "'";
    (void)!system(rm.c_str());

    ASSERT_EQ(loaded, 0);
    EXPECT_EQ(status, 0);
    // The adapters' N_PORT storage ports in output order; the NL_PORT and the port
    // of type 7 are no entries.
    ASSERT_EQ(t.count, 4);
    EXPECT_STREQ(t.wwpns[0], "50A0B0C0001A0010");
    EXPECT_EQ(t.ids[0], 0x05);
    EXPECT_STREQ(t.wwpns[1], "50A0B0C0002B0001");
    EXPECT_EQ(t.ids[1], 0x0A);
    EXPECT_STREQ(t.wwpns[2], "50A0B0C0002B0004");
    EXPECT_EQ(t.ids[2], 0xCD);
    EXPECT_STREQ(t.wwpns[3], "50A0B0C0002B0005");
    EXPECT_EQ(t.ids[3], 0x06);
    EXPECT_EQ(entries_in(tmp_), 0);
}

TEST_F(HostPorts, AFailedCommandLeavesAnEmptyTableAndNoFile) {
    Table t;
    EXPECT_EQ(read_host_ports("exit 3", t.ids, t.wwpns, &t.count), 3);
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(read_host_ports("no-such-hba-tool-anywhere WWPNHP", t.ids, t.wwpns, &t.count), 127);
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(entries_in(tmp_), 0);
}

TEST_F(HostPorts, WithoutATemporaryFolderNothingRuns) {
    setenv("TMPDIR", (tmp_ + "/missing").c_str(), 1);
    Table t;
    std::string marker = tmp_ + "/ran";
    std::string command = "touch '" + marker + "'";
    EXPECT_EQ(read_host_ports(command.c_str(), t.ids, t.wwpns, &t.count), -1);
    EXPECT_EQ(t.count, 0);
    EXPECT_NE(access(marker.c_str(), F_OK), 0);
}

TEST_F(HostPorts, LongLinesArriveInPiecesAndTheTableHasItsLimit) {
    std::string script = tmp_ + "/many";
    // A HostPort line padded to 400 characters: its first piece is the entry and
    // the rest no line of its own. Then 300 more entries, of which 255 fit.
    write_script(script,
                 "printf '\\tHostPort: 00 WWPN: 1111111111111111\\tFcId:01AB00\\tPortType:N_PORT \\t%0300d\\n' 0\n"
                 "i=0\nwhile [ $i -lt 300 ]; do\n"
                 "  printf '\\tHostPort: %02d WWPN: 22222222222222%02d\\tFcId:000100\\tPortType:N_PORT \\n' $i $((i % 100))\n"
                 "  i=$((i + 1))\ndone\n");
    Table t;
    std::string command = "'" + script + "'";
    EXPECT_EQ(read_host_ports(command.c_str(), t.ids, t.wwpns, &t.count), 0);
    ASSERT_EQ(t.count, kHostPortMax);
    EXPECT_STREQ(t.wwpns[0], "1111111111111111");
    EXPECT_EQ(t.ids[0], 0xAB);
    EXPECT_STREQ(t.wwpns[1], "2222222222222200");
    EXPECT_STREQ(t.wwpns[255], "2222222222222254");
    EXPECT_EQ(t.ids[255], 0x01);
}

TEST_F(HostPorts, TwoReadsAtOnceInOneFolderKeepTheirOwnTables) {
    std::string first = tmp_ + "/first";
    std::string second = tmp_ + "/second";
    // Each tool waits until the other has started, so the two reads are certainly
    // in flight together, however the machine schedules them (bounded at 60 s).
    std::string meet = make_temp_dir();  // not under TMPDIR, where the test counts files
    auto arrive_and_wait = [&](const char* me, const char* other) {
        return "touch '" + meet + "/" + me + "'; i=0; while [ ! -e '" + meet + "/" + other +
               "' ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done; ";
    };
    write_script(first, arrive_and_wait("a", "b") + host_port_script("AAAAAAAAAAAAAAAA", "010100"));
    write_script(second, arrive_and_wait("b", "a") + host_port_script("BBBBBBBBBBBBBBBB", "020200"));
    Table a, b;
    int32_t status_a = -1, status_b = -1;
    std::thread one([&] { status_a = read_host_ports(("'" + first + "'").c_str(), a.ids, a.wwpns, &a.count); });
    std::thread two([&] { status_b = read_host_ports(("'" + second + "'").c_str(), b.ids, b.wwpns, &b.count); });
    one.join();
    two.join();
    EXPECT_EQ(status_a, 0);
    EXPECT_EQ(status_b, 0);
    ASSERT_EQ(a.count, 1);
    ASSERT_EQ(b.count, 1);
    EXPECT_STREQ(a.wwpns[0], "AAAAAAAAAAAAAAAA");
    EXPECT_EQ(a.ids[0], 0x01);
    EXPECT_STREQ(b.wwpns[0], "BBBBBBBBBBBBBBBB");
    EXPECT_EQ(b.ids[0], 0x02);
    EXPECT_EQ(entries_in(tmp_), 2);  // the two scripts, no output file
    EXPECT_EQ(entries_in(meet), 2);
    unlink((meet + "/a").c_str());
    unlink((meet + "/b").c_str());
    rmdir(meet.c_str());
}

TEST_F(HostPorts, TheToolBesideTheProgramRunsNotTheOneInTheCurrentFolder) {
    // The program's folder has a quote and a blank in its name: the path is quoted.
    std::string beside = tmp_ + "/it's here/";
    std::string current = tmp_ + "/current";
    ASSERT_EQ(mkdir(beside.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(current.c_str(), 0755), 0);
    write_script(beside + "fenmar", host_port_script("BE51DE0000000001", "00AA00"));
    write_script(current + "/fenmar", host_port_script("C0FFEE0000000002", "00BB00"));
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(current.c_str()), 0);

    char command[8192];
    Table t;
    ASSERT_TRUE(hba_tool_command(beside.c_str(), "WWPNHP", command, sizeof command));
    read_host_ports(command, t.ids, t.wwpns, &t.count);
    ASSERT_EQ(t.count, 1);
    EXPECT_STREQ(t.wwpns[0], "BE51DE0000000001");

    // Nothing beside the program: the plain name, found in the current folder first.
    Table u;
    ASSERT_TRUE(hba_tool_command(current.c_str(), "WWPNHP", command, sizeof command));  // no separator: no tool
    EXPECT_STREQ(command, "./fenmar WWPNHP");
    read_host_ports(command, u.ids, u.wwpns, &u.count);
    ASSERT_EQ(u.count, 1);
    EXPECT_STREQ(u.wwpns[0], "C0FFEE0000000002");
    EXPECT_EQ(chdir(saved), 0);
}

// parse_host_ports over lines as the file gives them.
int32_t parse(const std::vector<std::string>& text, Table* t) {
    static char lines[kHostPortLineMax][kHostPortTextSize];
    for (size_t i = 0; i < text.size(); i++) snprintf(lines[i], kHostPortTextSize, "%s", text[i].c_str());
    return parse_host_ports(lines, int32_t(text.size()), t->ids, t->wwpns, &t->count);
}

TEST(ParseHostPorts, TakesTheMiddleByteOfTheAddressAndTheWwpn) {
    Table t;
    EXPECT_EQ(parse({"\tHostPort: 00 WWPN: 50A0B0C0001A0010\tFcId:FF0AFF\tPortType:N_PORT \tPortState : "
                     "HBA_PORTSTATE_ONLINE\tPortSpeed : HBA_PORTSPEED_2GBIT\r\n",
                     "\tHostPort: 01 WWPN: 50a0b0c0001a0011\tFcId:00ab00\tPortType:N_PORT \n"},
                    &t),
              2);
    EXPECT_EQ(t.ids[0], 0x0A);
    EXPECT_STREQ(t.wwpns[0], "50A0B0C0001A0010");
    EXPECT_EQ(t.ids[1], 0xAB);
    EXPECT_STREQ(t.wwpns[1], "50a0b0c0001a0011");
}

TEST(ParseHostPorts, OnlyHostPortLinesOfNPortsAreEntries) {
    Table t;
    EXPECT_EQ(parse({"\tAdapter Name : Scsi Port4:",
                     "\tPortWWN\t : 21000A0B0C001A00",
                     "\tNumber Of Discovered Storage Host Ports : 3",
                     "\tHostPort: 00 WWPN: 1000000000000001\tFcId:010100\tPortType:N_PORT \tPortSpeed : x",
                     "\tHostPort: 01 WWPN: 1000000000000002\tFcId:010200\tPortType:NL_PORT\tPortState : N_PORT",
                     "\tHostPort: 02 WWPN: 1000000000000003\tFcId:010300\tPortType:0000007",
                     // N_PORT in the first field only: the type is what counts
                     "\tHostPort: 03 WWPN: N_PORT\tFcId:010400\tPortType:0000007",
                     "\tHostPort: 04 WWPN: 1000000000000005\tFcId:010500\tPortType:N_PORT "},
                    &t),
              2);
    EXPECT_STREQ(t.wwpns[0], "1000000000000001");
    EXPECT_STREQ(t.wwpns[1], "1000000000000005");
    EXPECT_EQ(t.ids[1], 0x05);
}

TEST(ParseHostPorts, MissingPiecesReadAsEmptyAndNoLinesIsAFailure) {
    Table t;
    t.count = 7;
    EXPECT_EQ(parse({}, &t), -1);
    EXPECT_EQ(t.count, 0);
    // Runs of tabs are one separator; an address without digits and a first field
    // without a fourth word still make an entry, with id 0 and an empty WWPN.
    EXPECT_EQ(parse({"\t\tHostPort:\t\tFcId\t\tN_PORT", "HostPort: 00 WWPN: 77\tFcId:1\tN_PORT"}, &t), 2);
    EXPECT_EQ(t.ids[0], 0);
    EXPECT_STREQ(t.wwpns[0], "");
    EXPECT_EQ(t.ids[1], 0);
    EXPECT_STREQ(t.wwpns[1], "77");
    // A character that is no hexadecimal digit counts as 0, the other one of the byte still counts.
    EXPECT_EQ(parse({"HostPort: 00 WWPN: 1\tFcId:01g700\tN_PORT", "HostPort: 01 WWPN: 2\tFcId:01C-00\tN_PORT"}, &t), 2);
    EXPECT_EQ(t.ids[0], 0x07);
    EXPECT_EQ(t.ids[1], 0xC0);
}

}  // namespace
