// query diff FILE: the live SAN compared with a device listing saved earlier with
// `ravlin query device -json > FILE`. Exit 0 no difference, 1 differences, 2 the
// comparison could not be made.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "control_device.h"
#include "device_display.h"
#include "device_facts.h"
#include "device_sweep.h"
#include "device_fetch.h"
#include "document_start.h"
#include "disk_identity.h"
#include "report_commands.h"
#include "health_verdict.h"
#include "host_port_table.h"
#include "output_policy.h"
#include "platform.h"
#include "error_document.h"
#include "report_output.h"
#include "report_text.h"
#include "saved_listing.h"
#include "topology_diff.h"
#include "vdisk_cache.h"

namespace {

constexpr int32_t kCannotCompare = 2;

int32_t cannot_compare(bool json, const char* file, const char* why) {
    char name[256];
    report_text(file, sizeof name, name, sizeof name);
    char message[1024];
    snprintf(message, sizeof message, "Cannot compare with %s: %s", name, why);
    if (json) {
        keep_failure_message(message);
        write_error_document(kCannotCompare);
    } else {
        print_out("%s\n", message);
    }
    return kCannotCompare;
}

// Reads at most kSavedListingMaxBytes + 1 bytes of `file` into *text. Returns
// nullptr, or why not.
const char* read_file(const char* file, std::string* text) {
    if (!platform_file_exists(file)) return "no such file";
    uint64_t size = 0;
    if (platform_file_size(file, &size) && size > kSavedListingMaxBytes)
        return "larger than 64 MB, the most a saved listing may be";
    FILE* f = fopen(file, "rb");
    if (f == nullptr) return "the file cannot be opened for reading";
    char chunk[65536];
    size_t n;
    while (text->size() <= kSavedListingMaxBytes && (n = fread(chunk, 1, sizeof chunk, f)) > 0) text->append(chunk, n);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) return "the file cannot be read";
    return nullptr;
}

// The live SAN read the way the listing reads it: the preferred path, then the
// device record of every slot. Returns 0, or the failing request's error (with
// its slot in *failed_slot).
struct LiveRead {
    Topology* live;
    TopoScope scope;
    const HostPortTable* ports;
};

void add_live_device(void* context, int32_t slot, const DeviceFetch* fetch) {
    static DeviceFacts facts;
    const LiveRead* read = static_cast<const LiveRead*>(context);
    const DSM_DEVICE_RECORD* r = &fetch->record;
    if (!topology_scope_takes(read->scope, r)) return;
    topology_add_record(read->live, r, &fetch->preferred, read->ports);
    TopoDevice* d = &read->live->devices.back();
    d->number = slot;
    // The capacity and the volume name as the listing gathers them (the storage
    // ports were read once, before the walk).
    gather_device_facts(r, &fetch->preferred, 0, &facts);
    const LunCapacity& capacity = facts.capacity;
    d->capacity_read = true;
    d->has_capacity = capacity_found(&capacity);
    if (d->has_capacity) d->capacity = (capacity.last_lba + 1) * uint64_t(capacity.block_length);
    d->volume_read = true;
    d->has_volume = facts.volume_source != VdiskSource::None;
    if (d->has_volume) snprintf(d->volume, sizeof d->volume, "%.*s", int(sizeof facts.volume - 1), facts.volume);
}

uint32_t read_live(Topology* live, TopoScope scope, const HostPortTable* ports, int32_t* failed_slot) {
    LiveRead read{live, scope, ports};
    return sweep_device_fetches(true, add_live_device, &read, failed_slot);
}

void print_json(const Topology& saved, const Topology& live, const std::vector<Difference>& diffs) {
    static JsonWriter w;
    begin_document(&w, json_stdout_sink(), "diff");
    json_int(&w, "saved_devices", int64_t(saved.devices.size()));
    json_int(&w, "live_devices", int64_t(live.devices.size()));
    json_begin_array(&w, "differences");
    char text[512];
    for (const Difference& d : diffs) {
        json_begin_object(&w, nullptr);
        json_text(&w, "kind", diff_kind_name(d.kind));
        const TopoDevice* dev = d.live_device >= 0   ? &live.devices[size_t(d.live_device)]
                                : d.saved_device >= 0 ? &saved.devices[size_t(d.saved_device)]
                                                      : nullptr;
        if (dev != nullptr) {
            json_begin_object(&w, "device");
            json_int(&w, "number", dev->number);
            json_field(&w, "serial", dev->serial, sizeof dev->serial);
            json_end_object(&w);
        } else {
            json_null(&w, "device");
        }
        const TopoPath* path = d.live_path >= 0   ? &live.paths[size_t(d.live_path)]
                               : d.saved_path >= 0 ? &saved.paths[size_t(d.saved_path)]
                                                   : nullptr;
        if (path != nullptr) {
            json_begin_object(&w, "path");
            json_field(&w, "adapter", path->adapter, sizeof path->adapter);
            json_begin_object(&w, "scsi_address");
            json_uint(&w, "port", path->address[0]);
            json_uint(&w, "bus", path->address[1]);
            json_uint(&w, "target", path->address[2]);
            json_uint(&w, "lun", path->address[3]);
            json_end_object(&w);
            json_end_object(&w);
        } else {
            json_null(&w, "path");
        }
        if (diff_is_adapter(d.kind))
            json_field(&w, "adapter", d.adapter, sizeof d.adapter);
        char before[256], after[256];
        if (difference_values(saved, live, d, before, after, sizeof before)) {
            json_text(&w, "before", before);
            json_text(&w, "after", after);
        } else {
            json_null(&w, "before");
            json_null(&w, "after");
        }
        format_difference(saved, live, d, text, sizeof text);
        json_text(&w, "text", text);
        json_end_object(&w);
    }
    json_end_array(&w);
    json_int(&w, "count", int64_t(diffs.size()));
    end_document(&w);
}

}  // namespace

int32_t query_diff(const char* file, bool json) {
    Topology saved;
    {
        std::string text;
        const char* why = read_file(file, &text);
        if (why != nullptr) return cannot_compare(json, file, why);
        char error[256];
        if (!read_saved_listing(text.data(), text.size(), &saved, error, sizeof error))
            return cannot_compare(json, file, error);
    }

    if (open_control_device() != 0)
        return cannot_compare(json, file,
                              "the driver did not answer: no control device, or its device count or adapter table "
                              "could not be read");
    // A listing saved with -s carries target ports: the HBA tool runs once to read them now.
    const HostPortTable* ports = saved.with_ports ? host_ports_for_display() : nullptr;
    Topology live;
    int32_t failed_slot = -1;
    vdisk_cache_begin_pass();  // one read and one write of the name cache, as a listing pass
    topology_add_adapters(&live, &g_connection.adapter_table);  // read when the device opened
    uint32_t error = read_live(&live, saved.scope, ports, &failed_slot);
    vdisk_cache_end_pass();
    close_control_device();
    if (error != 0) {
        char why[96];
        snprintf(why, sizeof why, "device %d could not be read (error %u)", int(failed_slot), unsigned(error));
        return cannot_compare(json, file, why);
    }

    std::vector<Difference> diffs;
    compare_topologies(saved, live, &diffs);
    if (json) {
        print_json(saved, live, diffs);
    } else {
        char line[512];
        for (const Difference& d : diffs) {
            format_difference(saved, live, d, line, sizeof line);
            print_out("%s\n", line);
        }
        print_out("%d difference%s\n", int(diffs.size()), diffs.size() == 1 ? "" : "s");
    }
    return diffs.empty() ? 0 : 1;
}
