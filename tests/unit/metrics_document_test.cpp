// The metrics document and its writer: escaping, bounded labels, number forms,
// families kept together, the bound on its size, and the file replacement it is
// written with.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "../fuzz/exposition_checks.h"
#include "exposition_writer.h"
#include "health_summary.h"
#include "health_verdict.h"
#include "metrics_facts.h"
#include "platform.h"
#include "test_files.h"

namespace {

void append(void* context, const char* bytes, size_t count) { static_cast<std::string*>(context)->append(bytes, count); }

std::string escaped(const char* bytes, size_t count) {
    char out[512];
    return std::string(out, expo_escape_value(bytes, count, out));
}

DSM_DEVICE_RECORD record(const char* serial, int paths) {
    DSM_DEVICE_RECORD r;
    memset(&r, 0, sizeof r);
    strcpy(r.DeviceName, "\\Device\\Harddisk3\\DR3");
    strcpy(r.SerialNumber, serial);
    r.PathCount = uint32_t(paths);
    for (int i = 0; i < paths; i++) {
        snprintf(r.Paths[i].AdapterName, sizeof r.Paths[i].AdapterName, "FC %c", 'A' + i % 2);
        r.Paths[i].State = DSM_PATH_OPEN;
        r.Paths[i].Mode = DSM_MODE_NORMAL;
    }
    return r;
}

// A collection of `devices` devices of `paths` paths over two adapters.
void collect(MetricsFacts* f, int devices, int paths) {
    *f = MetricsFacts{};
    f->up = true;
    f->adapter_count = 2;
    strcpy(f->adapters.Adapters[0].AdapterName, "FC A");
    strcpy(f->adapters.Adapters[1].AdapterName, "FC B");
    DSM_DEVICE_STATS stats{};
    DeviceHealth h;
    for (int d = 0; d < devices; d++) {
        char serial[32];
        snprintf(serial, sizeof serial, "SERIAL-%06d", d);
        DSM_DEVICE_RECORD r = record(serial, paths);
        judge_device(&r, &f->adapters, f->adapter_count, HealthOptions{false, nullptr}, &h);
        add_device_health(&f->summary, &h);
        add_metrics_device(f, d, &r, &h, &stats, "");
    }
}

std::string document(const MetricsFacts* f) {
    std::string doc;
    write_metrics(f, JsonSink{append, &doc});
    return doc;
}

TEST(ExpositionWriter, LabelValuesEscapeOnlyWhatTheFormatNamesAndMapHighBytes) {
    EXPECT_EQ(escaped("a\"b\\c\nd", 7), "a\\\"b\\\\c\\nd");
    // Control bytes other than the line end stay (valid UTF-8); bytes above 0x7F
    // become the code point of their value, as in the JSON documents.
    EXPECT_EQ(escaped("\t\x01\r", 3), "\t\x01\r");
    EXPECT_EQ(escaped("\xE9\xFF\x80", 3), "\xC3\xA9\xC3\xBF\xC2\x80");
    EXPECT_EQ(escaped("ab\0cd", 5), "ab");  // a field ends at its NUL
}

TEST(ExpositionWriter, LabelsThatDoNotFitAreLeftOutWhole) {
    ExpoLabels l;
    expo_labels_clear(&l);
    expo_label_text(&l, "a", "1");
    std::string big(600, '"');  // doubles when escaped: cannot fit
    expo_label(&l, "b", big.data(), big.size());
    EXPECT_TRUE(l.cut);
    EXPECT_EQ(std::string(l.text, l.used), "a=\"1\"");
    expo_label_text(&l, "c", "2");  // nothing after a cut either
    EXPECT_EQ(std::string(l.text, l.used), "a=\"1\"");
}

TEST(ExpositionWriter, NumbersArePlainDecimals) {
    std::string doc;
    static ExpoWriter w;
    expo_start(&w, JsonSink{append, &doc});
    expo_sample(&w, "ravlin_x", nullptr, 18446744073709551615ull);
    expo_sample_real(&w, "ravlin_y", nullptr, 1.5, 3);
    expo_sample_real(&w, "ravlin_y", nullptr, -2.0, 3);          // never a sign
    expo_sample_real(&w, "ravlin_y", nullptr, 0.0 / 0.0, 3);     // never NaN
    expo_sample_real(&w, "ravlin_y", nullptr, 1e300, 3);         // never an exponent
    expo_finish(&w);
    EXPECT_EQ(doc, "ravlin_x 18446744073709551615\nravlin_y 1.500\nravlin_y 0.000\nravlin_y 0.000\nravlin_y 0.000\n");
}

TEST(MetricsDocument, EveryFamilyKeepsItsSamplesTogetherAndCountsAgree) {
    MetricsFacts f;
    collect(&f, 3, 2);
    std::string doc = document(&f);
    int verdict_ones = 0, active = 0, samples = 0;
    std::string problem = expo_check_document(doc, [&](const ExpoSampleView& s) {
        samples++;
        if (s.name == "ravlin_device_verdict" && s.value == "1") verdict_ones++;
        if (s.name == "ravlin_path_active" && s.value == "1") active++;
    });
    EXPECT_EQ(problem, "");
    EXPECT_EQ(verdict_ones, 3);  // one current state per device
    EXPECT_EQ(active, 6);
    // 3 collection + 10 summary + 15 per device + 4 per path + 3 per adapter.
    EXPECT_EQ(samples, 3 + 10 + 3 * 15 + 6 * 4 + 2 * 3);
}

TEST(MetricsDocument, HealthThatCannotBeJudgedHasNoDeviceSeries) {
    MetricsFacts f;
    collect(&f, 2, 2);
    f.up = false;
    std::string doc = document(&f);
    EXPECT_EQ(doc.find("ravlin_device"), std::string::npos);
    EXPECT_NE(doc.find("\nravlin_up 0\n"), std::string::npos);
}

TEST(MetricsDocument, ALargeSanStaysUnderTheLineBound) {
    // 4096 devices of 8 paths: the bound the documentation promises.
    static MetricsFacts f;
    collect(&f, 4096, 8);
    std::string doc = document(&f);
    size_t lines = 0;
    for (char c : doc) lines += c == '\n';
    EXPECT_LT(lines, 200000u);
    EXPECT_EQ(expo_check_document(doc, [](const ExpoSampleView&) {}), "");
}

TEST(HealthVerdict, PathKindsCountOfflineAndClosedApart) {
    DSM_DEVICE_RECORD r = record("S", 4);
    r.Paths[1].Mode = DSM_MODE_OFFLINE;
    r.Paths[2].State = DSM_PATH_CLOSE;
    r.Paths[3].State = DSM_PATH_DEAD;
    DSM_ADAPTER_TABLE table{};
    DeviceHealth h;
    judge_device(&r, &table, 0, HealthOptions{false, nullptr}, &h);
    EXPECT_EQ(h.path_count, 4);
    EXPECT_EQ(h.path_kinds[0], PathKind::Active);
    EXPECT_EQ(h.path_kinds[1], PathKind::Offline);
    EXPECT_EQ(h.path_kinds[2], PathKind::Closed);
    EXPECT_EQ(h.path_kinds[3], PathKind::Failed);
    EXPECT_EQ(h.offline_paths + h.closed_paths + h.active_paths + h.failed_paths, 4);
    judge_device(&r, &table, 0, HealthOptions{true, nullptr}, &h);
    EXPECT_EQ(h.path_kinds[3], PathKind::Standby);
}

class DocumentFile : public ::testing::Test {
protected:
    std::string dir;
    std::string path;
    void SetUp() override {
        char pattern[] = "/tmp/ravlin-metrics-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/ravlin.prom";
    }
    void TearDown() override {
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    std::string write_temp(const char* text) {
        std::string temp = path + ".1.tmp";
        uint32_t error = 0;
        FILE* f = platform_create_file(temp.c_str(), &error);
        EXPECT_NE(f, nullptr);
        fputs(text, f);
        EXPECT_EQ(platform_commit_file(f), 0u);
        return temp;
    }
};

TEST_F(DocumentFile, ReplacesInOneStepAndRefusesAReadOnlyFile) {
    write_file(path, "old");
    std::string temp = write_temp("new");
    EXPECT_EQ(platform_move_over(temp.c_str(), path.c_str()), 0u);
    EXPECT_EQ(read_file(path), "new");

    chmod(path.c_str(), 0444);
    temp = write_temp("newer");
    EXPECT_EQ(platform_move_over(temp.c_str(), path.c_str()), 5u);
    EXPECT_EQ(read_file(path), "new");
}

TEST_F(DocumentFile, AMissingFolderIsError3) {
    uint32_t error = 0;
    EXPECT_EQ(platform_create_file((dir + "/nowhere/x.prom").c_str(), &error), nullptr);
    EXPECT_EQ(error, 3u);
}

}  // namespace
