// Standard output's policy: print_out writes exactly what printf would, however
// long or whatever bytes it holds, and text already on stdout reaches a shared
// file before a message on stderr.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "activity_log.h"
#include "output_policy.h"
#include "test_files.h"

namespace {

TEST(PrintOut, WritesPrintfsBytesWhateverTheyHold) {
    // A NUL from %c (fenmar's port name), a text longer than the line buffer, a
    // percent sign in the data, and a count that is the length, not the terminator.
    std::string long_name(3000, 'x');
    long_name += "%d";
    testing::internal::CaptureStdout();
    int nul = print_out("Scsi Port%c%c%c|", '4', ':', '\0');
    int wide = print_out("[%s]\n", long_name.c_str());
    int tiny = print_out("%s", "");
    int rule = print_out("%5d %-3s|%08x\n", 7, "ab", 0xBEEFu);
    bool raw = write_out("\0\0QVR\0\0\n\n", 9);  // NUL runs at either end and inside, line ends
    bool plain = put_out("end\n");
    std::string out = testing::internal::GetCapturedStdout();

    std::string expected = std::string("Scsi Port4:\0|", 13) + "[" + long_name + "]\n" + "    7 ab |0000beef\n" +
                           std::string("\0\0QVR\0\0\n\n", 9) + "end\n";
    EXPECT_TRUE(raw);
    EXPECT_TRUE(plain);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(nul, 13);
    EXPECT_EQ(wide, int(long_name.size()) + 3);
    EXPECT_EQ(tiny, 0);
    EXPECT_EQ(rule, 19);
}

// Runs `body` with stdout and stderr both on one file; returns what the file holds.
template <typename Body>
std::string both_streams_into_one_file(Body body) {
    char path[] = "/tmp/ravlin-order-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    fflush(stdout);
    fflush(stderr);
    int saved_out = dup(STDOUT_FILENO);
    int saved_err = dup(STDERR_FILENO);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    body();
    fflush(stdout);
    dup2(saved_out, STDOUT_FILENO);
    dup2(saved_err, STDERR_FILENO);
    close(saved_out);
    close(saved_err);
    close(fd);
    std::string text = read_file(path);
    unlink(path);
    return text;
}

TEST(OutputOrder, StdoutTextComesBeforeALaterMessageOnStderr) {
    // A generation that cannot be removed (a folder with something in it) makes the
    // log rotation complain on stderr; what stdout held before must come first.
    char pattern[] = "/tmp/ravlin-rotate-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string base = dir + "/ravlindsm.log";
    std::string stuck = base + ".4";
    write_file(base, "B");
    ASSERT_EQ(mkdir(stuck.c_str(), 0700), 0);
    write_file(stuck + "/keep", "k");

    std::string text = both_streams_into_one_file([&] {
        print_out("Success: listed");  // no line end: held in the buffer, however stdout is buffered
        rotate_log_generations(base.c_str());
        print_out(" and done\n");
    });
    EXPECT_EQ(text, "Success: listedremove file(" + stuck + ") failed!\n and done\n");

    std::string rm = "rm -rf '" + dir + "'";
    ASSERT_EQ(system(rm.c_str()), 0);
}

}  // namespace
