// Fuzzes the metrics document with any device records, statistics, adapter table
// and volume names: every line keeps to the exposition grammar (strict reader in
// exposition_checks.h), each metric's samples stay together, and the serial,
// adapter names and volume name read back from the labels are exactly the driver
// bytes as UTF-8.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "exposition_checks.h"
#include "health_verdict.h"
#include "metrics_facts.h"

namespace {

void append(void* context, const char* bytes, size_t count) { static_cast<std::string*>(context)->append(bytes, count); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DSM_DEVICE_RECORD records[2];
    static DSM_DEVICE_STATS stats;
    static DSM_ADAPTER_TABLE table;
    static DeviceHealth health;
    if (size < 2) return 0;
    uint8_t options = data[0];
    data++;
    size--;
    auto take = [&](void* out, size_t n) {
        memset(out, 0, n);
        size_t k = size < n ? size : n;
        memcpy(out, data, k);
        data += k;
        size -= k;
    };
    take(&records[0], sizeof records[0]);
    take(&stats, sizeof stats);
    char volume[128];
    take(volume, sizeof volume);
    volume[sizeof volume - 1] = '\0';
    take(&records[1], sizeof records[1]);
    take(&table, sizeof table);

    static MetricsFacts facts;
    facts.devices.clear();
    facts.paths.clear();
    facts.arena.clear();
    facts.summary = HealthSummary{};
    memset(facts.kind_totals, 0, sizeof facts.kind_totals);
    facts.up = (options & 4) == 0;
    facts.tpgs = (options & 1) != 0;
    facts.timestamp = double(options) * 1e7;
    facts.duration = 0.25;
    facts.adapters = table;
    facts.adapter_count = int32_t(table.AdapterCount < 0 ? 0 : table.AdapterCount > 32 ? 32 : table.AdapterCount);
    HealthOptions o{facts.tpgs, nullptr};
    int devices = (options & 2) != 0 ? 2 : 1;
    for (int d = 0; d < devices; d++) {
        judge_device(&records[d], &table, facts.adapter_count, o, &health);
        add_device_health(&facts.summary, &health);
        add_metrics_device(&facts, d * 7, &records[d], &health, d == 0 ? &stats : nullptr, d == 0 ? volume : "");
    }

    static std::string doc;
    doc.clear();
    write_metrics(&facts, JsonSink{append, &doc});
    size_t samples = 0;
    bool bad = false;
    bool seen = false;
    // Only the samples that carry driver texts are unescaped and compared.
    std::string problem = expo_check_document(doc, [&](const ExpoSampleView& s) {
        samples++;
        if (s.name == "ravlin_device_info" && s.label("device") == "0") {
            seen = true;
            bad |= expo_unescape(s.label("serial")) != expo_expected_text(records[0].SerialNumber, sizeof records[0].SerialNumber);
            bad |= expo_unescape(s.label("volume")) != expo_expected_text(volume, sizeof volume);
        } else if (s.name == "ravlin_adapter_info") {
            int a = atoi(std::string(s.label("adapter")).c_str());
            const DSM_ADAPTER_ENTRY* e = &table.Adapters[a];
            bad |= expo_unescape(s.label("name")) != expo_expected_text(e->AdapterName, sizeof e->AdapterName);
        } else if (s.name == "ravlin_path_info" && s.label("device") == "0") {
            int p = atoi(std::string(s.label("path")).c_str());
            const DSM_PATH_ENTRY* e = &records[0].Paths[p];
            bad |= expo_unescape(s.label("adapter")) != expo_expected_text(e->AdapterName, sizeof e->AdapterName);
        }
    });
    if (!problem.empty() || bad) __builtin_trap();
    if (facts.up ? !seen : samples != 3) __builtin_trap();
    return 0;
}
