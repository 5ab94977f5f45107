// The volume-name cache inside a listing pass against device by device: the same
// activity-log lines and the same final bytes for sequences of saves and loads
// from every kind of starting file; inside a pass the file is written once, at
// the end, and not at all when nothing changed. Also names with control characters.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "activity_log.h"
#include "disk_identity.h"
#include "platform.h"
#include "test_files.h"
#include "vdisk_cache.h"

namespace {

ino_t inode_of(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct Step {
    bool save;
    std::string wwid;
    std::string name;
};

// What a run leaves: the log with its timestamps masked, the file, and what the loads found.
struct Outcome {
    std::string log;
    std::string file;
    std::string loads;
};

class VdiskCache : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/ravlin-cache-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("RAVLIN_SIM_ROOT", root_.c_str(), 1);
        activity_log_init();
    }
    static void TearDownTestSuite() {
        std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    void SetUp() override {
        cache_ = platform_cache_path();
        log_ = platform_activity_log_path();
    }

    // Starts from `start` ("@missing": no file), runs the steps, returns what they left.
    Outcome run(const std::string& start, const std::vector<Step>& steps, bool in_pass) {
        remove(log_.c_str());
        remove(cache_.c_str());
        if (start != "@missing") write_file(cache_, start);
        Outcome o;
        if (in_pass) vdisk_cache_begin_pass();
        for (const Step& s : steps) {
            if (s.save) {
                save_vdisk_name(s.wwid.c_str(), s.name.c_str());
                continue;
            }
            char name[kVdiskNameSize] = {};
            int found = 0;
            load_vdisk_name(s.wwid.c_str(), name, &found);
            o.loads += s.wwid + "=" + std::to_string(found) + ":" + name + "\n";
        }
        if (in_pass) vdisk_cache_end_pass();
        o.log = std::regex_replace(read_file(log_), std::regex("^\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d ",
                                                               std::regex::multiline), "");
        o.file = exists(cache_) ? read_file(cache_) : "@missing";
        return o;
    }

    static std::string root_;
    std::string cache_;
    std::string log_;
};
std::string VdiskCache::root_;

Step save(const std::string& wwid, const std::string& name) { return Step{true, wwid, name}; }
Step load(const std::string& wwid) { return Step{false, wwid, ""}; }

// A mixed sequence over a few devices: new entries, repeats, changes, loads, refusals.
std::vector<Step> mixed_steps(unsigned seed) {
    static const char* const kWwids[] = {"QVR70A0004400", "QVR70A0004401", "qvr70a0004400", "W1", ""};
    static const char* const kNames[] = {"vol-alpha", "vol-beta", "vol \"q\" \\x", "", "N1"};
    std::vector<Step> steps;
    unsigned x = seed;
    for (int i = 0; i < 40; i++) {
        x = x * 1103515245u + 12345u;
        const char* wwid = kWwids[(x >> 8) % 5];
        const char* name = kNames[(x >> 16) % 5];
        steps.push_back((x >> 24) % 4 == 0 ? load(wwid) : save(wwid, name));
    }
    return steps;
}

TEST_F(VdiskCache, PassLogsAndLeavesExactlyWhatSavingDeviceByDeviceDoes) {
    const std::string starts[] = {
        "@missing",
        "",
        "{not json",
        "[1, 2]",
        "{\"other\": true}",
        "{\"Disk\": [{\"wwid\": \"W1\", \"vdisk_name\": \"\", \"pool\": 7}, {\"wwid\": \"QVR70A0004401\"}]}",
        "{\"disk\": [5, {\"wwid\": \"W1\", \"vdisk_name\": \"N0\"}]} trailing",
        "{\"disk\": {\"wwid\": \"W1\"}}",
        // A pass finds entries through an index: the first match, entries that are
        // not objects before and after it, and a wwid member spelt otherwise must
        // decide as the walk in array order does.
        "{\"disk\": [{\"WWID\": \"W1\", \"vdisk_name\": \"first\"}, {\"wwid\": \"W1\", \"vdisk_name\": \"second\"},"
        " {\"vdisk_name\": \"no wwid\"}, \"text\", {\"wwid\": \"QVR70A0004401\", \"vdisk_name\": \"after\"},"
        " {\"wwid\": 7}, [1]]}",
        "{\"disk\": [{\"wwid\": \"QVR70A0004400\", \"vdisk_name\": \"vol-alpha\"}, null,"
        " {\"wwid\": \"QVR70A0004400\", \"vdisk_name\": \"shadow\"}]}",
    };
    for (const std::string& start : starts) {
        for (unsigned seed = 1; seed <= 6; seed++) {
            std::vector<Step> steps = mixed_steps(seed);
            Outcome one_by_one = run(start, steps, false);
            Outcome pass = run(start, steps, true);
            SCOPED_TRACE("start " + start + ", seed " + std::to_string(seed));
            EXPECT_EQ(pass.log, one_by_one.log);
            EXPECT_EQ(pass.file, one_by_one.file);
            EXPECT_EQ(pass.loads, one_by_one.loads);
        }
    }
}

TEST_F(VdiskCache, PassWritesOnceAtItsEndAndNotAtAllWithoutAChange) {
    run("@missing", {save("W1", "N1"), save("W2", "N2")}, false);
    std::string before = read_file(cache_);
    ino_t first = inode_of(cache_);

    vdisk_cache_begin_pass();
    save_vdisk_name("W1", "N1");
    save_vdisk_name("W2", "N2");
    vdisk_cache_end_pass();
    EXPECT_EQ(inode_of(cache_), first);  // same names again: never rewritten

    vdisk_cache_begin_pass();
    save_vdisk_name("W1", "N9");
    save_vdisk_name("W3", "N3");
    EXPECT_EQ(read_file(cache_), before);  // nothing written before the end
    EXPECT_EQ(inode_of(cache_), first);
    vdisk_cache_end_pass();
    EXPECT_NE(inode_of(cache_), first);
    EXPECT_EQ(read_file(cache_),
              "{\n\t\"disk\":\t[{\n\t\t\t\"wwid\":\t\"W1\",\n\t\t\t\"vdisk_name\":\t\"N9\"\n\t\t}, {\n"
              "\t\t\t\"wwid\":\t\"W2\",\n\t\t\t\"vdisk_name\":\t\"N2\"\n\t\t}, {\n"
              "\t\t\t\"wwid\":\t\"W3\",\n\t\t\t\"vdisk_name\":\t\"N3\"\n\t\t}]\n}");
    // No temporary file is left beside the cache.
    std::string folder = cache_.substr(0, cache_.rfind('/'));
    std::string command = "ls '" + folder + "' | grep -q tmp";
    EXPECT_NE(system(command.c_str()), 0);
}

TEST_F(VdiskCache, ControlCharactersAreStoredEscapedInANewFile) {
    Outcome o = run("@missing", {save("W\t1", std::string("a\x01") + "b\n"), load("W\t1")}, false);
    EXPECT_EQ(o.file, "{\n\t\"disk\":\t[{\n\t\t\t\"wwid\":\t\"W\\t1\",\n"
                      "\t\t\t\"vdisk_name\":\t\"a\\u0001b\\n\"\n\t\t}]\n}");
    EXPECT_EQ(o.loads, "W\t1=1:a\x01" "b\n\n");
    EXPECT_EQ(o.log, "");
}

TEST_F(VdiskCache, LongNamesAreCutToTheField) {
    std::string long_name(300, 'n');
    Outcome o = run("@missing", {save("W1", long_name), load("W1")}, false);
    EXPECT_EQ(o.loads, "W1=1:" + std::string(kVdiskNameSize - 1, 'n') + "\n");
}

}  // namespace
