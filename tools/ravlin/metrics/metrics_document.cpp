// The metrics document: every family's HELP, TYPE and samples, from the facts
// one collection kept. The names and the series each family has are the
// published contract (README, "Fleet monitoring"); series per device, path and
// adapter are fixed, so the document grows linearly with the SAN.
#include <stdio.h>
#include <string.h>

#include "dsm_texts.h"
#include "exposition_writer.h"
#include "metrics_facts.h"

namespace {

constexpr HealthVerdict kVerdicts[] = {HealthVerdict::Ok, HealthVerdict::Down, HealthVerdict::Spof,
                                       HealthVerdict::Degraded, HealthVerdict::NoOptimized};
constexpr PathKind kKinds[] = {PathKind::Active, PathKind::Failed, PathKind::Standby, PathKind::Offline,
                               PathKind::Closed};

// Appends `labels` escaped to the arena; returns where they start.
uint32_t keep(std::string* arena, const ExpoLabels* labels) {
    uint32_t at = uint32_t(arena->size());
    arena->append(labels->text, labels->used);
    return at;
}

const char* policy_name(uint32_t policy) {
    const char* text = policy_text(policy);
    constexpr size_t kPrefix = sizeof "  POLICY: " - 1;
    return strlen(text) > kPrefix ? text + kPrefix : text;
}

// A display text without the blanks that pad it to its column.
void trimmed_label(ExpoLabels* l, const char* key, const char* text) {
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ') n--;
    expo_label(l, key, text, n);
}

void adapter_labels(ExpoLabels* l, const DSM_ADAPTER_ENTRY* e, int32_t number) {
    expo_labels_clear(l);
    expo_label_number(l, "adapter", number);
    expo_label(l, "name", e->AdapterName, sizeof e->AdapterName);
}

void write_collection(ExpoWriter* w, const MetricsFacts* f) {
    expo_family(w, "ravlin_up", "gauge", "1 when the multipath health could be judged, 0 when not (no driver, or a record could not be read).");
    expo_sample(w, "ravlin_up", nullptr, f->up ? 1 : 0);
    expo_family(w, "ravlin_last_collect_timestamp_seconds", "gauge", "When ravlin collected these metrics, in seconds since 1970-01-01 UTC.");
    expo_sample_real(w, "ravlin_last_collect_timestamp_seconds", nullptr, f->timestamp, 3);
    expo_family(w, "ravlin_collect_duration_seconds", "gauge", "How long the collection took, in seconds.");
    expo_sample_real(w, "ravlin_collect_duration_seconds", nullptr, f->duration, 6);
}

void write_summary(ExpoWriter* w, const MetricsFacts* f) {
    ExpoLabels l;
    const HealthSummary* s = &f->summary;
    expo_family(w, "ravlin_devices", "gauge", "Present multipath devices by health verdict.");
    for (HealthVerdict v : kVerdicts) {
        int32_t n = v == HealthVerdict::Down ? s->down : v == HealthVerdict::Spof ? s->spof
                  : v == HealthVerdict::Degraded ? s->degraded : v == HealthVerdict::NoOptimized ? s->no_optimized
                  : s->devices - s->down - s->spof - s->degraded - s->no_optimized;
        expo_labels_clear(&l);
        expo_label_text(&l, "verdict", verdict_word(v));
        expo_sample(w, "ravlin_devices", &l, uint64_t(n < 0 ? 0 : n));
    }
    expo_family(w, "ravlin_paths", "gauge", "Paths of the present devices by kind.");
    for (PathKind k : kKinds) {
        expo_labels_clear(&l);
        expo_label_text(&l, "kind", path_kind_name(k));
        expo_sample(w, "ravlin_paths", &l, uint64_t(f->kind_totals[int(k)]));
    }
}

// The label pieces every family of a kind shares, made once.
struct Piece {
    char text[32];
    size_t length;
};

Piece make_piece(const char* key, const char* value) {
    Piece p;
    p.length = size_t(snprintf(p.text, sizeof p.text, "%s=\"%s\"", key, value));
    return p;
}

ExpoPiece device_piece(const MetricsFacts* f, const MetricsDevice* d) {
    return ExpoPiece{f->arena.data() + d->labels_at, d->labels_length};
}

void write_devices(ExpoWriter* w, const MetricsFacts* f) {
    Piece verdicts[5], kinds[kPathKindCount];
    for (int i = 0; i < 5; i++) verdicts[i] = make_piece("verdict", verdict_word(kVerdicts[i]));
    for (int i = 0; i < kPathKindCount; i++) kinds[i] = make_piece("kind", path_kind_name(kKinds[i]));

    expo_family(w, "ravlin_device_info", "gauge", "A multipath device: product, load-balance policy, volume name and interface; always 1.");
    for (const MetricsDevice& d : f->devices) {
        ExpoPiece pieces[] = {device_piece(f, &d), {f->arena.data() + d.info_at, d.info_length}};
        expo_sample_pieces(w, "ravlin_device_info", pieces, 2, 1);
    }
    expo_family(w, "ravlin_device_verdict", "gauge", "The health verdict of a device as a state set: 1 for its verdict, 0 for the others.");
    for (const MetricsDevice& d : f->devices)
        for (int i = 0; i < 5; i++) {
            ExpoPiece pieces[] = {device_piece(f, &d), {verdicts[i].text, verdicts[i].length}};
            expo_sample_pieces(w, "ravlin_device_verdict", pieces, 2, d.verdict == uint8_t(kVerdicts[i]) ? 1 : 0);
        }
    expo_family(w, "ravlin_device_paths", "gauge", "Paths of a device by kind.");
    for (const MetricsDevice& d : f->devices)
        for (int i = 0; i < kPathKindCount; i++) {
            ExpoPiece pieces[] = {device_piece(f, &d), {kinds[i].text, kinds[i].length}};
            expo_sample_pieces(w, "ravlin_device_paths", pieces, 2, uint64_t(d.kinds[int(kKinds[i])]));
        }
    struct Counter {
        const char* name;
        const char* help;
        uint64_t (*value)(const MetricsDevice*);
    };
    static const Counter kCounters[] = {
        {"ravlin_device_reads_total", "Read requests the driver counted for the device.",
         [](const MetricsDevice* d) { return uint64_t(d->reads); }},
        {"ravlin_device_writes_total", "Write requests the driver counted for the device.",
         [](const MetricsDevice* d) { return uint64_t(d->writes); }},
        {"ravlin_device_read_bytes_total", "Bytes read from the device (the driver counts 512-byte sectors).",
         [](const MetricsDevice* d) { return uint64_t(d->read_sectors) * kSectorBytes; }},
        {"ravlin_device_written_bytes_total", "Bytes written to the device (the driver counts 512-byte sectors).",
         [](const MetricsDevice* d) { return uint64_t(d->written_sectors) * kSectorBytes; }},
    };
    for (const Counter& c : kCounters) {
        expo_family(w, c.name, "counter", c.help);
        for (const MetricsDevice& d : f->devices) {
            if (!d.has_stats) continue;
            ExpoPiece piece = device_piece(f, &d);
            expo_sample_pieces(w, c.name, &piece, 1, c.value(&d));
        }
    }
}

// Writes one family with a sample per path; `extra` may add labels, `value` gives the value.
template <typename Extra, typename Value>
void write_path_family(ExpoWriter* w, const MetricsFacts* f, const char* name, const char* type, const char* help,
                       Extra extra, Value value) {
    expo_family(w, name, type, help);
    ExpoLabels more;
    for (const MetricsDevice& d : f->devices)
        for (uint32_t i = 0; i < d.path_count; i++) {
            const MetricsPath* p = &f->paths[d.first_path + i];
            expo_labels_clear(&more);
            extra(&more, p);
            // device and serial (the device's labels up to its name), then the path's own.
            ExpoPiece pieces[] = {{f->arena.data() + d.labels_at, d.serial_length},
                                  {f->arena.data() + p->labels_at, p->labels_length},
                                  {more.text, more.used}};
            expo_sample_pieces(w, name, pieces, 3, value(p));
        }
}

void write_paths(ExpoWriter* w, const MetricsFacts* f) {
    auto none = [](ExpoLabels*, const MetricsPath*) {};
    write_path_family(w, f, "ravlin_path_info", "gauge", "A path: its state, mode and whether it is non-optimized; always 1.",
                      [f](ExpoLabels* l, const MetricsPath* p) {
                          trimmed_label(l, "state", path_state_text(p->state, p->non_optimized, f->tpgs).text);
                          trimmed_label(l, "mode", path_mode_text(p->mode).text);
                          expo_label_text(l, "non_optimized", p->non_optimized != 0 ? "1" : "0");
                      },
                      [](const MetricsPath*) { return uint64_t(1); });
    write_path_family(w, f, "ravlin_path_active", "gauge", "1 when the path carries I/O (mode normal, state open), else 0.",
                      none, [](const MetricsPath* p) { return uint64_t(p->kind == uint8_t(PathKind::Active) ? 1 : 0); });
    write_path_family(w, f, "ravlin_path_selects_total", "counter", "Times the driver chose the path for a request.",
                      none, [](const MetricsPath* p) { return uint64_t(p->selects); });
    write_path_family(w, f, "ravlin_path_errors_total", "counter", "Errors the driver counted on the path.",
                      none, [](const MetricsPath* p) { return uint64_t(p->errors); });
}

void write_adapters(ExpoWriter* w, const MetricsFacts* f) {
    ExpoLabels l;
    expo_family(w, "ravlin_adapter_info", "gauge", "A host adapter: its interface, state and mode; always 1.");
    for (int32_t a = 0; a < f->adapter_count; a++) {
        const DSM_ADAPTER_ENTRY* e = &f->adapters.Adapters[a];
        adapter_labels(&l, e, a);
        expo_label_text(&l, "interface", bus_type_text(e->BusType));
        trimmed_label(&l, "state", adapter_state_text(e->State).text);
        trimmed_label(&l, "mode", adapter_mode_text(e->Mode).text);
        expo_sample(w, "ravlin_adapter_info", &l, 1);
    }
    expo_family(w, "ravlin_adapter_usable", "gauge", "1 when the adapter's state and mode are both normal, else 0.");
    for (int32_t a = 0; a < f->adapter_count; a++) {
        const DSM_ADAPTER_ENTRY* e = &f->adapters.Adapters[a];
        adapter_labels(&l, e, a);
        expo_sample(w, "ravlin_adapter_usable", &l, adapter_reported(e) ? 0 : 1);
    }
    expo_family(w, "ravlin_adapter_errors_total", "counter", "Errors the driver counted on the adapter.");
    for (int32_t a = 0; a < f->adapter_count; a++) {
        const DSM_ADAPTER_ENTRY* e = &f->adapters.Adapters[a];
        adapter_labels(&l, e, a);
        expo_sample(w, "ravlin_adapter_errors_total", &l, uint32_t(e->ErrorCount));
    }
}

}  // namespace

void reserve_metrics(MetricsFacts* f, int32_t slots) {
    if (slots <= 0) return;
    // One allocation each, sized for a SAN of 8 paths a device: growing by steps
    // costs far more than the copying (each step makes the allocator tidy up).
    f->devices.reserve(size_t(slots));
    f->paths.reserve(size_t(slots) * 8);
    f->arena.reserve(size_t(slots) * 320);
}

void add_metrics_device(MetricsFacts* f, int32_t slot, const DSM_DEVICE_RECORD* r, const DeviceHealth* h,
                        const DSM_DEVICE_STATS* stats, const char* volume_name) {
    MetricsDevice d{};
    ExpoLabels l;
    expo_labels_clear(&l);
    expo_label_number(&l, "device", slot);
    expo_label(&l, "serial", r->SerialNumber, sizeof r->SerialNumber);
    d.serial_length = uint32_t(l.used);
    expo_label_text(&l, "name", device_display_name(r->DeviceName, sizeof r->DeviceName));
    d.labels_at = keep(&f->arena, &l);
    d.labels_length = uint32_t(l.used);

    expo_labels_clear(&l);
    expo_label(&l, "product", r->ProductId, sizeof r->ProductId);
    trimmed_label(&l, "policy", policy_name(r->Policy));
    expo_label_text(&l, "volume", volume_name);
    const char* interface = interface_type_text(r->InterfaceType);
    expo_label_text(&l, "interface", interface != nullptr ? interface : "");
    d.info_at = keep(&f->arena, &l);
    d.info_length = uint32_t(l.used);

    d.verdict = uint8_t(h->verdict);
    d.first_path = uint32_t(f->paths.size());
    d.path_count = uint8_t(h->path_count);
    for (int32_t i = 0; i < h->path_count; i++) {
        const DSM_PATH_ENTRY* e = &r->Paths[i];
        MetricsPath p{};
        expo_labels_clear(&l);
        expo_label_number(&l, "path", i);
        expo_label(&l, "adapter", e->AdapterName, sizeof e->AdapterName);
        p.labels_at = keep(&f->arena, &l);
        p.labels_length = uint32_t(l.used);
        p.kind = uint8_t(h->path_kinds[i]);
        p.state = e->State;
        p.mode = e->Mode;
        p.non_optimized = e->NonOptimized;
        p.selects = uint32_t(e->SelectCount);
        p.errors = uint32_t(e->ErrorCount);
        f->paths.push_back(p);
        d.kinds[int(p.kind)]++;
        f->kind_totals[int(p.kind)]++;
    }
    if (stats != nullptr) {
        d.has_stats = true;
        d.reads = stats->IoCounters[0];
        d.writes = stats->IoCounters[1];
        d.read_sectors = stats->SectorCounters[0];
        d.written_sectors = stats->SectorCounters[1];
    }
    f->devices.push_back(d);
}

void write_metrics(const MetricsFacts* f, JsonSink sink) {
    static ExpoWriter w;
    expo_start(&w, sink);
    write_collection(&w, f);
    if (f->up) {
        write_summary(&w, f);
        write_devices(&w, f);
        write_paths(&w, f);
        write_adapters(&w, f);
    }
    expo_finish(&w);
}
