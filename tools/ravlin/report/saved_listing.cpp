#include "saved_listing.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <cJSON.h>

#include "health_verdict.h"
#include "report_text.h"

#include <string>
#include <unordered_set>

namespace {

// cJSON allocates through these while a saved listing is parsed, so that a file of
// many tiny values cannot take more than the budget. Blocks are plain malloc
// blocks: cJSON_Delete may free them after the default hooks are back.
size_t g_parse_spent;

void* budget_malloc(size_t size) {
    if (size > kSavedListingParseBudget - g_parse_spent) return nullptr;
    g_parse_spent += size;
    return malloc(size);
}

// Parses with the budget; the default hooks are restored before returning.
cJSON* parse_bounded(const char* text, size_t size, const char** end, bool* out_of_budget) {
    cJSON_Hooks hooks = {budget_malloc, free};
    g_parse_spent = 0;
    cJSON_InitHooks(&hooks);
    cJSON* doc = cJSON_ParseWithLengthOpts(text, size, end, 0);
    *out_of_budget = doc == nullptr && g_parse_spent + 4096 > kSavedListingParseBudget;
    cJSON_InitHooks(nullptr);
    return doc;
}

// Where the reader is, kept as parts and put into words only for an error.
struct Reader {
    char* error;
    size_t error_size;
    const char* list;    // "devices" or "adapters"
    int32_t device;      // an entry of `list`; -1: the document itself
    int32_t path;        // -1: not in a path
    const char* member;  // nullptr: the entry or path itself
    const char* part;    // a member inside `member`, or nullptr
};

__attribute__((format(printf, 2, 3))) bool fail(Reader* r, const char* format, ...) {
    char what[160];
    va_list args;
    va_start(args, format);
    vsnprintf(what, sizeof what, format, args);
    va_end(args);
    char where[128] = "";
    if (r->device >= 0) {
        snprintf(where, sizeof where, "%s[%d]", r->list, int(r->device));
        size_t n = strlen(where);
        if (r->path >= 0) n += size_t(snprintf(where + n, sizeof where - n, ".paths[%d]", int(r->path)));
        if (r->member != nullptr && n < sizeof where)
            n += size_t(snprintf(where + n, sizeof where - n, ".%s", r->member));
        if (r->part != nullptr && n < sizeof where) snprintf(where + n, sizeof where - n, ".%s", r->part);
        snprintf(r->error, r->error_size, "%s: %s", where, what);
    } else {
        snprintf(r->error, r->error_size, "%s", what);
    }
    return false;
}

void set_where(Reader* r, int32_t device, int32_t path, const char* member, const char* part = nullptr) {
    r->device = device;
    r->path = path;
    r->member = member;
    r->part = part;
}

const cJSON* member(const cJSON* object, const char* key) { return cJSON_GetObjectItemCaseSensitive(object, key); }

// An integer member within [lo, hi].
bool read_integer(Reader* r, const cJSON* item, double lo, double hi, double* out) {
    if (item == nullptr) return fail(r, "missing");
    if (!cJSON_IsNumber(item)) return fail(r, "not a number");
    double v = item->valuedouble;
    if (!(v >= lo && v <= hi) || floor(v) != v) return fail(r, "not an integer from %.0f to %.0f", lo, hi);
    *out = v;
    return true;
}

bool read_u32(Reader* r, const cJSON* item, uint32_t* out) {
    double v = 0;
    if (!read_integer(r, item, 0, 4294967295.0, &v)) return false;
    *out = uint32_t(v);
    return true;
}

bool read_bool(Reader* r, const cJSON* item, bool* out) {
    if (item == nullptr) return fail(r, "missing");
    if (!cJSON_IsBool(item)) return fail(r, "not true or false");
    *out = cJSON_IsTrue(item);
    return true;
}

// A string member as the bytes it stands for, at most `max` of them.
bool read_text(Reader* r, const cJSON* item, char* out, size_t max) {
    if (item == nullptr) return fail(r, "missing");
    if (!cJSON_IsString(item) || item->valuestring == nullptr) return fail(r, "not a string");
    if (bytes_from_saved_text(item->valuestring, out, max + 1) > max) return fail(r, "longer than %u bytes", unsigned(max));
    return true;
}

// `{"number": n, ...}`: the number of an enumeration.
bool read_code(Reader* r, const cJSON* item, uint32_t* out) {
    if (item == nullptr) return fail(r, "missing");
    if (!cJSON_IsObject(item)) return fail(r, "not an object");
    return read_u32(r, member(item, "number"), out);
}

bool read_path(Reader* r, int32_t d, int32_t p, const cJSON* item, TopoPath* out, bool* with_ports) {
    memset(out, 0, sizeof *out);
    set_where(r, d, p, nullptr);
    if (!cJSON_IsObject(item)) return fail(r, "not an object");
    set_where(r, d, p, "adapter");
    if (!read_text(r, member(item, "adapter"), out->adapter, kTopoNameSize - 1)) return false;
    set_where(r, d, p, "scsi_address");
    const cJSON* address = member(item, "scsi_address");
    if (address == nullptr) return fail(r, "missing");
    if (!cJSON_IsObject(address)) return fail(r, "not an object");
    static const char* const kParts[4] = {"port", "bus", "target", "lun"};
    for (int i = 0; i < 4; i++) {
        set_where(r, d, p, "scsi_address", kParts[i]);
        double v = 0;
        if (!read_integer(r, member(address, kParts[i]), 0, 255, &v)) return false;
        out->address[i] = uint8_t(v);
    }
    set_where(r, d, p, "state");
    if (!read_code(r, member(item, "state"), &out->state)) return false;
    set_where(r, d, p, "mode");
    if (!read_code(r, member(item, "mode"), &out->mode)) return false;
    set_where(r, d, p, "non_optimized");
    if (!read_bool(r, member(item, "non_optimized"), &out->non_optimized)) return false;
    const cJSON* wwpn = member(item, "target_port_wwpn");
    if (wwpn != nullptr) {
        set_where(r, d, p, "target_port_wwpn");
        out->has_wwpn = true;
        *with_ports = true;
        if (!cJSON_IsNull(wwpn)) {
            if (!read_text(r, wwpn, out->wwpn, kTopoWwpnSize - 1)) return false;
            out->wwpn_known = true;
        }
    }
    return true;
}

bool read_device(Reader* r, int32_t d, const cJSON* item, Topology* t) {
    TopoDevice dev;
    memset(&dev, 0, sizeof dev);
    double number = 0;
    set_where(r, d, -1, "number");
    if (!read_integer(r, member(item, "number"), -2147483648.0, 2147483647.0, &number)) return false;
    dev.number = int32_t(number);
    set_where(r, d, -1, "serial");
    if (!read_text(r, member(item, "serial"), dev.serial, kTopoTextSize - 1)) return false;
    set_where(r, d, -1, "policy");
    if (!read_code(r, member(item, "policy"), &dev.policy)) return false;
    set_where(r, d, -1, "reserved");
    if (!read_bool(r, member(item, "reserved"), &dev.reserved)) return false;
    set_where(r, d, -1, "preferred_path");
    const cJSON* preferred = member(item, "preferred_path");
    if (preferred == nullptr) return fail(r, "missing");
    if (!cJSON_IsNull(preferred)) {
        if (!read_u32(r, preferred, &dev.preferred)) return false;
        dev.has_preferred = true;
    }

    set_where(r, d, -1, "capacity");
    const cJSON* capacity = member(item, "capacity");
    if (capacity == nullptr) return fail(r, "missing");
    if (!cJSON_IsObject(capacity)) return fail(r, "not an object");
    set_where(r, d, -1, "capacity", "bytes");
    const cJSON* bytes = member(capacity, "bytes");
    if (bytes == nullptr) return fail(r, "missing");
    dev.capacity_read = true;
    if (!cJSON_IsNull(bytes)) {
        double v = 0;
        if (!read_integer(r, bytes, 0, 18446744073709551615.0, &v)) return false;
        dev.has_capacity = true;
        dev.capacity = v >= 18446744073709551615.0 ? UINT64_MAX : uint64_t(v);
    }

    set_where(r, d, -1, "volume");
    const cJSON* volume = member(item, "volume");
    if (volume == nullptr) return fail(r, "missing");
    if (!cJSON_IsObject(volume)) return fail(r, "not an object");
    set_where(r, d, -1, "volume", "name");
    const cJSON* name = member(volume, "name");
    if (name == nullptr) return fail(r, "missing");
    dev.volume_read = true;
    if (!cJSON_IsNull(name)) {
        if (!read_text(r, name, dev.volume, kTopoVolumeSize - 1)) return false;
        dev.has_volume = true;
    }

    uint32_t path_count = 0;
    set_where(r, d, -1, "path_count");
    if (!read_u32(r, member(item, "path_count"), &path_count)) return false;
    set_where(r, d, -1, "paths");
    const cJSON* paths = member(item, "paths");
    if (paths == nullptr) return fail(r, "missing");
    if (!cJSON_IsArray(paths)) return fail(r, "not an array");
    int32_t listed = cJSON_GetArraySize(paths);
    if (listed > DSM_MAX_PATHS) return fail(r, "more than %d paths", DSM_MAX_PATHS);
    dev.first_path = int32_t(t->paths.size());
    dev.path_count = listed;
    // The listing leaves closed paths out unless -a was given; when it lists them
    // all, the live closed paths are compared too.
    uint32_t record_paths = path_count < uint32_t(DSM_MAX_PATHS) ? path_count : uint32_t(DSM_MAX_PATHS);
    dev.all_paths = uint32_t(listed) >= record_paths;
    int32_t p = 0;
    const cJSON* path;
    cJSON_ArrayForEach(path, paths) {
        TopoPath tp;
        if (!read_path(r, d, p, path, &tp, &t->with_ports)) return false;
        t->paths.push_back(tp);
        p++;
    }
    t->devices.push_back(dev);
    return true;
}

bool read_adapter(Reader* r, int32_t a, const cJSON* item, TopoAdapter* out) {
    memset(out, 0, sizeof *out);
    set_where(r, a, -1, nullptr);
    if (!cJSON_IsObject(item)) return fail(r, "not an object");
    double number = 0;
    set_where(r, a, -1, "number");
    if (!read_integer(r, member(item, "number"), 0, DSM_MAX_ADAPTERS - 1, &number)) return false;
    out->number = int32_t(number);
    set_where(r, a, -1, "name");
    if (!read_text(r, member(item, "name"), out->name, kTopoNameSize - 1)) return false;
    set_where(r, a, -1, "bus_type");
    if (!read_code(r, member(item, "bus_type"), &out->bus_type)) return false;
    set_where(r, a, -1, "state");
    if (!read_code(r, member(item, "state"), &out->state)) return false;
    set_where(r, a, -1, "mode");
    if (!read_code(r, member(item, "mode"), &out->mode)) return false;
    set_where(r, a, -1, "active");
    return read_bool(r, member(item, "active"), &out->active);
}

// The adapter table, when the listing carries one (listings saved before it did
// have none: their adapters are known only from the paths).
bool read_adapters(Reader* r, const cJSON* doc, Topology* t) {
    const cJSON* adapters = member(doc, "adapters");
    if (adapters == nullptr) return true;
    set_where(r, -1, -1, nullptr);
    if (!cJSON_IsArray(adapters)) return fail(r, "\"adapters\" is not an array");
    if (cJSON_GetArraySize(adapters) > DSM_MAX_ADAPTERS)
        return fail(r, "\"adapters\" holds more than %d adapters", DSM_MAX_ADAPTERS);
    r->list = "adapters";
    int32_t a = 0;
    const cJSON* item;
    cJSON_ArrayForEach(item, adapters) {
        TopoAdapter entry;
        if (!read_adapter(r, a, item, &entry)) return false;
        t->adapters.push_back(entry);
        a++;
    }
    t->has_adapters = true;
    return true;
}

}  // namespace

int json_nesting_depth(const char* text, size_t size, int limit) {
    int depth = 0, deepest = 0;
    bool in_string = false;
    for (size_t i = 0; i < size; i++) {
        char c = text[i];
        if (in_string) {
            if (c == '\\') i++;
            else if (c == '"') in_string = false;
            continue;
        }
        if (c == '"') in_string = true;
        else if (c == '[' || c == '{') {
            if (++depth > deepest) deepest = depth;
            if (deepest > limit) return deepest;
        } else if ((c == ']' || c == '}') && depth > 0) {
            depth--;
        }
    }
    return deepest;
}

size_t bytes_from_saved_text(const char* text, char* out, size_t out_size) {
    size_t n = 0;
    for (size_t i = 0; text[i] != '\0'; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned char next = static_cast<unsigned char>(text[i + 1]);
        if ((c == 0xC2 || c == 0xC3) && (next & 0xC0) == 0x80) {
            c = static_cast<unsigned char>(((c & 0x03) << 6) | (next & 0x3F));
            i++;
        }
        if (n + 1 < out_size) out[n] = char(c);
        n++;
    }
    if (out_size > 0) out[n < out_size ? n : out_size - 1] = '\0';
    return n;
}

bool read_saved_listing(const char* text, size_t size, Topology* t, char* error, size_t error_size) {
    Reader reader{error, error_size, "devices", -1, -1, nullptr, nullptr};
    Reader* r = &reader;
    if (size == 0) return fail(r, "the file is empty");
    if (size > kSavedListingMaxBytes)
        return fail(r, "larger than %u MB, the most a saved listing may be", unsigned(kSavedListingMaxBytes >> 20));
    if (json_nesting_depth(text, size, kSavedListingMaxDepth) > kSavedListingMaxDepth)
        return fail(r, "nested deeper than %d levels: not a saved device listing", kSavedListingMaxDepth);

    const char* end = nullptr;
    bool out_of_budget = false;
    cJSON* doc = parse_bounded(text, size, &end, &out_of_budget);
    if (doc == nullptr) {
        if (out_of_budget) return fail(r, "too large to hold in memory");
        size_t at = end != nullptr && end >= text && end <= text + size ? size_t(end - text) : 0;
        return fail(r, "not valid JSON (at byte %lu)", static_cast<unsigned long>(at));
    }
    bool ok = false;
    do {
        size_t rest = end != nullptr && end >= text && end <= text + size ? size_t(end - text) : size;
        while (rest < size && (text[rest] == ' ' || text[rest] == '\t' || text[rest] == '\r' || text[rest] == '\n')) rest++;
        if (rest < size) {
            // A listing saved with -i holds one document per pass.
            fail(r, "more than one JSON document (at byte %lu): save one pass only", static_cast<unsigned long>(rest));
            break;
        }
        if (!cJSON_IsObject(doc)) {
            fail(r, "not a JSON object: not a saved device listing");
            break;
        }
        const cJSON* schema = member(doc, "schema");
        if (!cJSON_IsString(schema)) {
            fail(r, "no \"schema\" text: not a saved device listing");
            break;
        }
        if (strcmp(schema->valuestring, kListingSchema) != 0) {
            char shown[48];
            report_text(schema->valuestring, sizeof shown, shown, sizeof shown);
            fail(r, "unknown schema version \"%s\" (this ravlin reads %s)", shown, kListingSchema);
            break;
        }
        const cJSON* kind = member(doc, "kind");
        if (!cJSON_IsString(kind) || strcmp(kind->valuestring, "device-listing") != 0) {
            fail(r, "a document of another kind, not a saved device listing (ravlin query device -json)");
            break;
        }
        // Only a listing of all devices (or of one interface, or of CSV disks) says
        // which devices the live SAN must show; one device, a range or a model does not.
        const cJSON* total = member(doc, "total");
        const cJSON* of = cJSON_IsObject(total) ? member(total, "of") : nullptr;
        static const struct {
            const char* word;
            TopoScope scope;
        } kScopes[] = {{"devices", TopoScope::All}, {"fc", TopoScope::Fc}, {"iscsi", TopoScope::Iscsi},
                       {"sas", TopoScope::Sas}, {"csv", TopoScope::Csv}};
        bool scoped = false;
        for (const auto& k : kScopes)
            if (cJSON_IsString(of) && strcmp(of->valuestring, k.word) == 0) {
                t->scope = k.scope;
                scoped = true;
            }
        if (!scoped) {
            fail(r, "a listing of one device, a range or a model (-d): save the listing of all devices");
            break;
        }
        const cJSON* devices = member(doc, "devices");
        if (!cJSON_IsArray(devices)) {
            fail(r, "\"devices\" is not an array");
            break;
        }
        std::unordered_set<std::string> serials;
        int32_t d = 0;
        const cJSON* entry;
        ok = true;
        cJSON_ArrayForEach(entry, devices) {
            set_where(r, d, -1, nullptr);
            if (!cJSON_IsObject(entry)) {
                ok = fail(r, "not an object");
                break;
            }
            const cJSON* status = member(entry, "status");
            if (!cJSON_IsString(status)) {
                set_where(r, d, -1, "status");
                ok = fail(r, status == nullptr ? "missing" : "not a string");
                break;
            }
            // Removed, absent and failed slots are not devices of the topology.
            if (strcmp(status->valuestring, "present") == 0) {
                if (!read_device(r, d, entry, t)) {
                    ok = false;
                    break;
                }
                if (!serials.insert(t->devices.back().serial).second) {
                    set_where(r, d, -1, "serial");
                    char shown[kTopoTextSize];
                    report_text(t->devices.back().serial, kTopoTextSize, shown, sizeof shown);
                    ok = fail(r, "serial \"%s\" names two devices", shown);
                    break;
                }
            }
            d++;
        }
        if (ok) ok = read_adapters(r, doc, t);
    } while (false);
    cJSON_Delete(doc);
    return ok;
}
