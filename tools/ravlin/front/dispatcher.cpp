#include "dispatcher.h"

#include <stdio.h>

#include "activity_log.h"
#include "control_device.h"
#include "error_document.h"
#include "handlers.h"
#include "whatif_report.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"
#include "usage_text.h"

namespace {

constexpr char kEssMapFile[] = "vdqessmap.out";

// The ESS map file must exist and hold something before either map display runs.
int32_t show_map(int32_t (*display)()) {
    uint64_t size = 0;
    if (!platform_file_exists(kEssMapFile)) {
        print_out("%s\n", get_message_text(MESSAGE(ESSMAP_UNREADABLE)));
        return 1;
    }
    if (!platform_file_size(kEssMapFile, &size) || size == 0) {
        print_out("\n%s\n", get_message_text(MESSAGE(NO_VALID_DEVICE)));
        return 1;
    }
    // The display reports its own trouble; the command counts as done.
    display();
    return 0;
}

int32_t performance(const Command& c) {
    g_settings.perf_collection = c.perf_collection;
    int32_t result = set_performance(c.value, c.number);
    if (result != 0) return result;
    if (c.value == 0) {
        const char* text = c.perf_collection != 0 ? "Success:Performance Collection set to ON \n"
                                                  : "Success:Performance Collection set to OFF \n";
        print_out("%s", text);
        write_activity_log_as_is(text);
    } else {
        print_out("Success:Performance Collection set for the required device \n");
        write_activity_log("Success:Performance Collection set for the required device %ld \n", long(c.number));
    }
    return 0;
}

int32_t device_listing(const Command& c, const CommandLine& line) {
    uint32_t query_flags = c.flags;
    int32_t result = parse_options(&query_flags, line);
    if (result != 0) return result;
    g_settings.present_only = c.present_only;
    g_settings.csv_only = c.csv_only;
    return list_devices(query_flags, c.request_code);
}

ChangeGuard guard_of(const Command& c) {
    return ChangeGuard{c.guard == GuardMode::IfSafe, c.guard_tpgs, c.guard_json};
}

}  // namespace

int32_t run_command(const Command& c, const CommandLine& line) {
    switch (c.kind) {
    case CommandKind::InvalidCommand:
        break;  // below, where every kind the switch does not return for ends
    case CommandKind::InvalidArgument:
        print_invalid_argument();
        return -1;
    case CommandKind::ShowVersions:
        return show_versions(c.value);
    case CommandKind::QueryWwpn:
        return query_wwpn();
    case CommandKind::QueryPort:
        return query_port();
    case CommandKind::RescanHardware:
        return rescan_hardware(c.word);
    case CommandKind::ShowAdapters:
        g_settings.all_adapters = c.all_adapters;
        return show_adapters(c.number, c.flags);
    case CommandKind::ListDevices:
        return device_listing(c, line);
    case CommandKind::ShowAdapterStats:
        return show_adapter_stats(c.number, c.value);
    case CommandKind::ShowEssMap:
        return show_map(show_ess_map);
    case CommandKind::ShowPortMap:
        return show_map(show_port_map);
    case CommandKind::GetRetryDelay:
        return get_retry_delay(c.word);
    case CommandKind::SetRetryDelay:
        return set_retry_delay(c.word, c.value);
    case CommandKind::GetRepeat:
        return get_repeat(c.word);
    case CommandKind::SetRepeat:
        return set_repeat(c.word, c.repeat_error, c.repeat_interval);
    case CommandKind::SetAdapterState:
        if (c.guard != GuardMode::None) return guarded_adapter_offline(c.number, guard_of(c));
        return set_adapter_state(c.number, c.word, 1);
    case CommandKind::SetPathState:
        if (c.guard != GuardMode::None) return guarded_path_offline(uint32_t(c.number), c.number2, guard_of(c));
        return set_path_state(uint32_t(c.number), c.number2, c.word, 1);
    case CommandKind::SetPreferredPath:
        return set_preferred_path(uint32_t(c.number), uint32_t(c.number2), c.value);
    case CommandKind::SetPolicy:
        return set_policy(c.number, c.number2, c.word, c.word2);
    case CommandKind::SetPerformance:
        return performance(c);
    case CommandKind::SetPortState:
        return set_port_state(c.word, c.word2, c.word3);
    case CommandKind::ClearCounters:
        return clear_counters(c.number, c.number2, c.word);
    case CommandKind::SetTrace:
        return set_trace(c.word);
    case CommandKind::QueryHealth:
        return query_health(c.flags, c.value != 0);
    case CommandKind::QueryDiff:
        return query_diff(c.word, c.value != 0);
    case CommandKind::QueryMetrics:
        return query_metrics(c.flags, c.word);
    }
    print_invalid_command();
    return -1;
}

namespace {

int32_t run_parsed(const Command& command, const CommandLine& line) {
    if (!command.needs_device) return run_command(command, line);

    if (open_control_device() != 0) {
        // Without the driver a what-if cannot be judged.
        if (command.guard != GuardMode::None) return report_whatif_without_driver(command.guard_json);
        print_message(get_message_text(MESSAGE(NO_DEVICE_FILE)));
        return -1;
    }
    // Every rescan path ends here; the handle goes with the process.
    if (command.kind == CommandKind::RescanHardware) return run_command(command, line);

    int32_t result = run_command(command, line);

    if (!close_control_device() && result != -1) {
        print_message(get_message_text(MESSAGE(CLOSE_FAILED)));
        result = -1;
    }
    if (g_settings.color_enabled) {
        flush_output();  // the colour in force until now is the one it was printed in
        platform_console_set_attributes(g_settings.saved_attributes);
    }
    return result;
}

}  // namespace

int32_t run_ravlin(int k, const char* const* words) {
    activity_log_init();
    reset_invocation_settings();

    // The output words are taken off once; from here on only the mode is asked.
    static CommandLine line;
    take_output_words(k, words, &line);
    Command command = parse_command_line(line);
    // The reports write their own documents too, so what is no part of them goes
    // to stderr there as well; but only the other commands end a failed run with
    // the error document (command.json).
    g_settings.json_output = line.mode == OutputMode::Json || command.guard_json;
    int32_t result = run_parsed(command, line);
    // A failed run with -json ends with one error document, whatever it printed before.
    if (command.json && result != 0) write_error_document(result);
    return result;
}
