// The device selection engine of `query device` and `query devstats`: which slots
// to visit, fetching each, the interface filter, the per-device messages and the
// repetitions.
#include "device_listing.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "device_fetch.h"
#include "query_commands.h"
#include "host_port_table.h"
#include "invocation_settings.h"
#include "listing_view.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"
#include "platform.h"
#include "vdisk_cache.h"

namespace {


// The highest counts the driver reported in this run, and what count_devices_by_type found.
int32_t g_iscsi_device_count;
int32_t g_fc_device_count;
int32_t g_sas_device_count;
int32_t g_present_iscsi;
int32_t g_present_fc;
int32_t g_present_sas;
int32_t g_present_all;
bool g_listing_all;
// The configuration commands' single-device display is always text.
const ListingView* g_view = text_listing_view();

// Message `id` with its built-in text formatted first; `number` goes along as the
// message argument. The result is the formatter's buffer.
RAVLIN_PRINTF(3, 4) const char* format_message(uint32_t id, long number, const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return get_message_text_as_is(id, text, number);
}

// Shows a slot's message: "\n<text>\n" in the text form.
RAVLIN_PRINTF(5, 6) void slot_message(const char* status, int32_t slot, int32_t through, uint32_t id,
                                      const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_view->slot_message(status, slot, through, get_message_text_as_is(id, text, long(slot)));
}

bool interface_matches(const DSM_DEVICE_RECORD* r, uint32_t flags) {
    return ((flags & QF_ISCSI) != 0 && r->InterfaceType == DSM_IF_ISCSI) ||
           ((flags & QF_FC) != 0 && r->InterfaceType == DSM_IF_FC) ||
           ((flags & QF_SAS) != 0 && r->InterfaceType == DSM_IF_SAS) || (flags & QF_ANY_TYPE) != 0;
}

// The note for a device of another interface than the filter asks for.
void print_not_of_interface(uint32_t flags, int32_t slot) {
    const char* status = "other-interface";
    if ((flags & QF_ISCSI) != 0) slot_message(status, slot, slot, MESSAGE(NOT_ISCSI_DEVICE), int(slot));
    else if ((flags & QF_FC) != 0) slot_message(status, slot, slot, MESSAGE(NOT_FC_DEVICE), int(slot));
    else if ((flags & QF_SAS) != 0) slot_message(status, slot, slot, MESSAGE(NOT_SAS_DEVICE), int(slot));
}

// Shows a fetched record: the detail or the statistics display, or the note.
void show_fetched(const DeviceFetch* f, uint32_t flags, uint32_t request_code, int32_t slot) {
    if (request_code == IOCTL_DSM_GET_DEVICE_STATS || interface_matches(&f->record, flags)) {
        g_view->record(f, flags, request_code);
        end_output_item();  // each shown device reaches the console whole, before the next is fetched
    } else {
        print_not_of_interface(flags, slot);
    }
}

// A count request's answer, or -1 when it fails.
int32_t read_count(uint32_t code) {
    DSM_COUNT_RECORD counts;
    memset(&counts, 0, sizeof counts);
    if (dsm_control(code, &counts, sizeof counts) != 0) return -1;
    return counts.Count;
}

void keep_highest(int32_t* stored, int32_t count) {
    if (count > *stored) *stored = count;
}

// The listing's title count for the first interface bit set, or the total.
// False when the CSV count is 0 (the message is printed, nothing is listed).
bool print_title(uint32_t flags) {
    int32_t count;
    bool present = g_settings.present_only;
    if ((flags & QF_ISCSI) != 0) {
        count = present ? g_present_iscsi : g_iscsi_device_count;
    } else if ((flags & QF_FC) != 0) {
        count = present ? g_present_fc : g_fc_device_count;
    } else if ((flags & QF_SAS) != 0) {
        count = present ? g_present_sas : g_sas_device_count;
    } else {
        if (g_settings.csv_only) {
            count = read_count(IOCTL_DSM_GET_CSV_COUNT);
            if (count == 0) {
                g_view->empty_scope("csv", "No CSV disk present\n");
                return false;
            }
        } else {
            count = present ? g_present_all : g_connection.device_slot_count;
        }
    }
    if ((flags & QF_ISCSI) != 0)
        g_view->title("iscsi", count, format_message(MESSAGE_ID(TOTAL_ISCSI_DEVICES), count, msg::TOTAL_ISCSI_DEVICES, long(count)));
    else if ((flags & QF_FC) != 0)
        g_view->title("fc", count, format_message(MESSAGE_ID(TOTAL_FC_DEVICES), count, msg::TOTAL_FC_DEVICES, long(count)));
    else if ((flags & QF_SAS) != 0)
        g_view->title("sas", count, format_message(MESSAGE_ID(TOTAL_SAS_DEVICES), count, msg::TOTAL_SAS_DEVICES, long(count)));
    else
        g_view->title(g_settings.csv_only ? "csv" : "devices", count,
                      format_message(MESSAGE_ID(TOTAL_DEVICES), count, msg::TOTAL_DEVICES, long(count)));
    return true;
}

// One pass of the selection; the result of the single-device step, else 0.
int32_t select_and_show(uint32_t flags, uint32_t request_code) {
    if ((flags & QF_ONE_DEVICE) != 0) {
        if (g_settings.present_only) {
            g_view->pass_message("Invalid Argument: This option should only be used for multiple device display\n", false);
            return 0;
        }
        return show_device(flags, request_code);
    }
    if ((flags & QF_MODEL) != 0) {
        show_devices_by_model(flags, request_code);
    } else if ((flags & QF_RANGE) != 0) {
        int32_t saved = g_settings.first_device;
        show_device_range(g_settings.first_device, g_settings.last_device, flags, request_code);
        g_settings.first_device = saved;
    } else {
        show_all_devices(flags, request_code);
    }
    return 0;
}

}  // namespace

bool model_matches(const char* pattern, const char* product_id) {
    size_t length = strlen(pattern);
    if (length > 1 && pattern[length - 1] == '*') length--;
    char id[9];
    memcpy(id, product_id, 8);
    id[8] = '\0';
    return strncmp(id, pattern, length) == 0;
}

int32_t show_device(uint32_t flags, uint32_t request_code) {
    if ((flags & (QF_ISCSI | QF_FC | QF_SAS | QF_ANY_TYPE)) == 0) flags |= QF_ANY_TYPE;
    int32_t slot = g_settings.first_device;
    static DeviceFetch f;
    uint32_t error = fetch_device(slot, request_code, true, &f);
    if (error == DSM_ERROR_DEVICE_REMOVED) {
        if (!g_settings.present_only)
            slot_message("removed", slot, slot, MESSAGE(DEVICE_REMOVED), int(slot));
        return 3;
    }
    if (error == DSM_ERROR_FILE_NOT_FOUND) {
        slot_message("absent", slot, slot, MESSAGE(DEVICE_INVALID), int(slot));
        return 3;
    }
    if (error != 0) {
        if (fetch_status(&f, request_code) == DSM_STATUS_INVALID_DEVICE) {
            g_view->slot_message("invalid", slot, slot, get_message_text(MESSAGE(INVALID_DEVICE_NUMBER)));
            return 3;
        }
        g_view->slot_message("failed", slot, slot,
                             get_message_text(MESSAGE(USER_COMMAND_ERROR)));
        return -1;
    }
    if (request_code == IOCTL_DSM_GET_DEVICE_INFO && !interface_matches(&f.record, flags)) {
        if (!g_listing_all) print_not_of_interface(flags, slot);
        return 0;
    }
    show_fetched(&f, flags, request_code, slot);
    return 0;
}

void show_all_devices(uint32_t flags, uint32_t request_code) {
    int32_t saved = g_settings.first_device;
    g_listing_all = true;
    if (g_settings.present_only) count_devices_by_type(flags);
    if (print_title(flags)) {
        // j counts progress, so a slot that keeps failing is asked again only
        // until the walk has made as many steps as there are slots.
        int32_t i = 0;
        int32_t j = 0;
        while (j < g_connection.device_slot_count && i < g_connection.device_slot_count) {
            g_settings.first_device = i;
            int32_t result = show_device(flags, request_code);
            if (result == 0) {
                i++;
                j++;
            } else if (result == 3) {
                i++;
            } else {
                j++;
            }
        }
    }
    g_settings.first_device = saved;
    g_listing_all = false;
}

void show_devices_by_model(uint32_t flags, uint32_t request_code) {
    const char* model = g_settings.device_model != nullptr ? g_settings.device_model : "";
    int32_t shown = 0;
    if (g_connection.device_slot_count > 0) {
        static DeviceFetch f;
        int32_t read = 0;
        // One slot beyond the last is asked too; its error 2 is silent.
        for (int32_t i = 0; i <= g_connection.device_slot_count; i++) {
            g_settings.first_device = i;
            uint32_t error = fetch_device(i, request_code, true, &f);
            if (error == DSM_ERROR_DEVICE_REMOVED || error == DSM_ERROR_FILE_NOT_FOUND) continue;
            if (error != 0) {
                g_view->slot_message("failed", i, i,
                                     get_message_text(MESSAGE(USER_COMMAND_ERROR)));
                break;
            }
            read++;
            const char* product = request_code == IOCTL_DSM_GET_DEVICE_STATS ? f.stats.ProductId : f.record.ProductId;
            if (model_matches(model, product)) {
                show_fetched(&f, flags, request_code, i);
                shown++;
            }
            if (read >= g_connection.device_slot_count) break;
        }
    }
    if (shown > 0) return;
    char text[128];
    snprintf(text, sizeof text, msg::NO_DEVICE_OF_TYPE, model);
    g_view->pass_message(get_message_text_as_is(MESSAGE_ID(NO_DEVICE_OF_TYPE), text, "\n"), true);
}

int32_t show_device_range(int32_t a, int32_t b, uint32_t flags, uint32_t request_code) {
    int32_t lo = a < b ? a : b;
    int32_t hi = a < b ? b : a;
    int32_t k = lo;  // the range start plus the devices shown or found removed
    static DeviceFetch f;
    // 64-bit, so a range ending at the largest slot number cannot wrap.
    for (int64_t slot = lo; slot <= hi; slot++) {
        int32_t j = int32_t(slot);
        g_settings.first_device = j;
        uint32_t error = fetch_device(j, request_code, true, &f);
        if (error == DSM_ERROR_DEVICE_REMOVED) {
            if (lo == hi || !g_settings.present_only)
                slot_message("removed", j, j, MESSAGE(DEVICE_REMOVED), int(j));
            if (lo == hi) break;
            k++;
        } else if (error == DSM_ERROR_FILE_NOT_FOUND) {
            if (lo == hi) {
                slot_message("absent", j, j, MESSAGE(DEVICE_INVALID), int(j));
                break;
            }
            if (k < g_connection.device_slot_count) {
                slot_message("absent", j, j, MESSAGE(COMMAND_DEVICE_INVALID), int(j));
                continue;
            }
            if (j < hi) {
                slot_message("absent", j, hi, MESSAGE(COMMAND_DEVICES_INVALID),
                             int(j), int(hi));
            } else {
                slot_message("absent", j, j, MESSAGE(COMMAND_DEVICE_INVALID), int(j));
            }
            break;
        } else if (error != 0) {
            if (fetch_status(&f, request_code) == DSM_STATUS_INVALID_DEVICE)
                slot_message("invalid", j, j, MESSAGE(DEVICE_INVALID_NO_STOP), int(j));
            else
                g_view->slot_message("failed", j, j, get_message_text(MESSAGE(COMMAND_ERROR)));
            if (lo == hi) break;
        } else {
            show_fetched(&f, flags, request_code, j);
            k++;
        }
    }
    return 0;
}

void count_devices_by_type(uint32_t flags) {
    g_present_iscsi = 0;
    g_present_fc = 0;
    g_present_sas = 0;
    g_present_all = 0;
    static DeviceFetch f;
    for (int32_t i = 0; i < g_connection.device_slot_count; i++) {
        if (fetch_device(i, IOCTL_DSM_GET_DEVICE_INFO, false, &f) != 0) continue;
        uint8_t type = f.record.InterfaceType;
        if ((flags & QF_ISCSI) != 0 && type == DSM_IF_ISCSI) g_present_iscsi++;
        else if ((flags & QF_FC) != 0 && type == DSM_IF_FC) g_present_fc++;
        else if ((flags & QF_SAS) != 0 && type == DSM_IF_SAS) g_present_sas++;
        else if ((flags & QF_ANY_TYPE) != 0) g_present_all++;
    }
}

int32_t list_devices(uint32_t flags, uint32_t request_code) {
    if ((flags & QF_REPEAT) == 0) {
        g_settings.display_interval = 0;
        g_settings.display_count = 1;
    }
    const bool detail = request_code == IOCTL_DSM_GET_DEVICE_INFO;
    g_view = g_settings.json_output ? json_listing_view() : text_listing_view();
    for (int32_t r = 1; r <= g_settings.display_count; r++) {
        g_view->begin_pass(r, flags, request_code);
        keep_highest(&g_connection.device_slot_count, read_count(IOCTL_DSM_GET_COUNTS));
        if ((flags & QF_ISCSI) != 0) keep_highest(&g_iscsi_device_count, read_count(IOCTL_DSM_GET_ISCSI_COUNT));
        if ((flags & QF_FC) != 0) keep_highest(&g_fc_device_count, read_count(IOCTL_DSM_GET_FC_COUNT));
        if ((flags & QF_SAS) != 0) keep_highest(&g_sas_device_count, read_count(IOCTL_DSM_GET_SAS_COUNT));

        // One pass: the name cache is read and written once, the host ports read once.
        if (detail) {
            vdisk_cache_begin_pass();
            host_ports_begin_pass();
        }
        int32_t result = select_and_show(flags, request_code);
        if (detail) {
            host_ports_end_pass();
            vdisk_cache_end_pass();
        }
        g_view->end_pass(result);
        flush_output();  // the pass is on the console before the wait

        bool last = r == g_settings.display_count;
        if (g_settings.display_interval >= 1 && g_settings.display_count > 1 && !last) {
            if (result != 0) return result;
            for (int32_t s = 0; s < g_settings.display_interval; s++) platform_sleep_ms(1000);
        }
        if (result != 0) return result;
        if (last) break;  // display_count may be the largest count: never step past it
    }
    return 0;
}
