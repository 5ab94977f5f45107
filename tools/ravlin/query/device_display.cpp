// print_device: one device as `query device` shows it. Every text that comes from
// the driver is printed as data, bounded by its record field.
#include "device_display.h"

#include <stdio.h>
#include <string.h>

#include "console_colour.h"
#include "device_facts.h"
#include "dsm_texts.h"
#include "host_port_table.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {


// A record text field as a terminated string, whether or not the driver ended it.
template <size_t N>
void copy_field(char (&out)[N + 1], const char (&field)[N]) {
    memcpy(out, field, N);
    out[N] = '\0';
}

constexpr size_t kDisplayNameSize = 50;
// The device's display name, cut to its column: shown in the header, measured for the rule.
char g_display_name[kDisplayNameSize];
constexpr size_t kRuleExtra = 80;  // the rule is the name's length plus this

// The rule under a device's header: `length` '=' in one write.
void print_rule(size_t length) {
    static constexpr char kRule[] =
        "================================================================================"
        "=================================================";
    static_assert(sizeof kRule - 1 == kDisplayNameSize - 1 + kRuleExtra, "a rule for the longest name");
    write_out(kRule, length < sizeof kRule - 1 ? length : sizeof kRule - 1);
}

void print_interface(uint8_t type) {
    uint16_t colour;
    if (type == DSM_IF_ISCSI) colour = kColourIscsi;
    else if (type == DSM_IF_FC) colour = kColourFc;
    else if (type == DSM_IF_SAS) colour = kColourSas;
    else return;
    set_colour(colour);
    print_out("HOST INTERFACE: ");
    print_out("%s", interface_type_text(type));
}

void print_path(const DSM_PATH_ENTRY* p, uint32_t i, uint32_t flags, const HostPortTable* ports) {
    set_colour(p->State == DSM_PATH_OPEN && p->Mode == DSM_MODE_NORMAL ? kColourGoodPath : kColourBadPath);
    if (p->State == DSM_PATH_CLOSE && (flags & QF_ALL_PATHS) == 0) return;
    print_out("%5d ", int(i));
    print_out("%s", p->NonOptimized != 0 ? "*" : " ");
    if ((flags & QF_SCSI_ADDR) != 0) {
        char address[16];
        snprintf(address, sizeof address, "%02X-%02X-%02X-%02X", p->ScsiAddress[0], p->ScsiAddress[1],
                 p->ScsiAddress[2], p->ScsiAddress[3]);
        print_out("%14s   ", address);
        print_out("%s", host_port_wwpn(ports, p->ScsiAddress[2]));
    } else {
        char adapter[sizeof p->AdapterName + 1];
        char disk[sizeof p->DiskName + 1];
        copy_field(adapter, p->AdapterName);
        copy_field(disk, p->DiskName);
        char both[sizeof adapter + sizeof disk];
        snprintf(both, sizeof both, "%s/%s", adapter, disk);
        print_out("%30s", both);
    }
    DsmText state = path_state_text(p->State, p->NonOptimized, (flags & QF_TPGS) != 0);
    print_out("%16s  ", get_message_text_as_is(state.id, state.text));
    DsmText mode = path_mode_text(p->Mode);
    print_out("%7s", get_message_text_as_is(mode.id, mode.text));
    print_out("%11d%11d", int(p->SelectCount), int(p->ErrorCount));
    restore_colour();
    print_out("\n");
}

// The header, type, policy, serial and size lines: shown once the capacity is read.
void print_head(const DeviceFacts* facts) {
    const DSM_DEVICE_RECORD* r = facts->record;
    char title[64];
    snprintf(title, sizeof title, msg::DEVICE_TITLE, int(r->DeviceNumber));
    print_out("\n%s", get_message_text_as_is(MESSAGE_ID(DEVICE_TITLE), title, int(r->DeviceNumber)));
    snprintf(g_display_name, sizeof g_display_name, "%s", device_display_name(r->DeviceName, sizeof r->DeviceName));
    set_colour(kColourYellow);
    print_out("%s  ", g_display_name);
    restore_colour();
    print_out("\t\t%s: ", get_message_text(MESSAGE(TYPE_LABEL)));
    set_colour(kColourYellow);
    write_out(r->ProductId, sizeof r->ProductId);  // all 8 bytes, as the record holds them
    restore_colour();
    set_colour(kColourLightBlue);
    print_out("%s", policy_text(r->Policy));
    restore_colour();

    print_out("\n%s: ", get_message_text(MESSAGE(SERIAL_LABEL)));
    char serial[sizeof r->SerialNumber + 1];
    copy_field(serial, r->SerialNumber);
    set_colour(kColourYellow);
    print_out("%s", serial);
    restore_colour();
    print_out(r->IsReserved != 0 ? "\tReserved: Yes" : "\tReserved: No");
    if (print_lun_size(&facts->capacity) != 0) print_out("\tLun Size: Failed to get device capacity.");
    print_out("\n");
}

// The volume name, interface, CSV and preferred-path lines, the rule and the path
// table's header: shown once the volume name is read.
void print_middle(const DeviceFacts* facts) {
    const DSM_DEVICE_RECORD* r = facts->record;
    if (facts->volume_source != VdiskSource::None) print_out("VDISK NAME: %s\n", facts->volume);

    restore_colour();
    print_interface(r->InterfaceType);
    if (g_settings.csv_only && r->IsCsv != 0) {
        print_out("   CSV: Yes");
        print_out("\tKey Count: %d", int(r->KeyCount));
        print_out("    Key:%08x-%08x", unsigned(r->Key >> 32), unsigned(r->Key & 0xFFFFFFFFu));
    }
    print_out("\n");
    if (facts->preferred->IsSet != 0) print_out("PREFERRED PATH SET :Path# %d ", int(facts->preferred->PathNumber));
    else print_out("PREFERRED PATH SET :None ");
    restore_colour();
    print_out("\n");

    set_colour(kColourYellow);
    print_rule(strlen(g_display_name) + kRuleExtra);
    restore_colour();

    if ((facts->query_flags & QF_SCSI_ADDR) != 0) print_out("\n%s", get_message_text_as_is(MESSAGE(PATH_HEADER_SCSI)));
    else print_out("\n%s", get_message_text_as_is(MESSAGE(PATH_HEADER)));
}

// The path table: shown once the storage ports are known.
void print_paths(const DeviceFacts* facts) {
    const DSM_DEVICE_RECORD* r = facts->record;
    uint32_t paths = r->PathCount < uint32_t(DSM_MAX_PATHS) ? r->PathCount : uint32_t(DSM_MAX_PATHS);
    for (uint32_t i = 0; i < paths; i++) print_path(&r->Paths[i], i, facts->query_flags, facts->ports);
}

// Shows each part as soon as the facts it needs are gathered.
void print_part(FactsStep step, const DeviceFacts* facts) {
    if (step == FactsStep::Capacity) print_head(facts);
    else if (step == FactsStep::Volume) print_middle(facts);
    else print_paths(facts);
}

}  // namespace

void print_device(const DSM_DEVICE_RECORD* r, uint32_t flags, const DSM_PREFERRED_PATH* preferred) {
    if (g_settings.csv_only && !is_csv_device(r)) {
        if ((flags & QF_ONE_DEVICE) != 0) print_out("\nDisk is not a CSV\n");
        return;
    }
    static DeviceFacts facts;
    gather_device_facts(r, preferred, flags, &facts, print_part);
}
