// `enable/disable ports <portname> ess <essid>`: every path that the port map file
// places on a storage port, set online or offline.
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "config_commands.h"
#include "map_line.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"

namespace {


// A port location prefix: R1-B1, R1-B1-H1 or R1-B1-H1-ZA, judged by length and fixed letters.
bool valid_port_name(const char* name) {
    size_t n = strlen(name);
    if (n != 5 && n != 8 && n != 11) return false;
    if (name[0] != 'R' || name[3] != 'B') return false;
    if (n >= 8 && name[6] != 'H') return false;
    if (n == 11 && name[9] != 'Z') return false;
    return true;
}

// True when the line lies on the port and belongs to the ESS. A line without an
// ESS id matches no ESS: an empty id would otherwise select every one.
bool line_matches(const EssMapLine* line, const char* ess_id, const char* port, const char* essid_word) {
    if (ess_id[0] == '\0') return false;
    if (strncmp(line->connection, port, strlen(port)) != 0) return false;
    return strncmp(essid_word, ess_id, strlen(ess_id)) == 0;
}

// Sets the paths of the line's device whose name is the line's path name.
// True when every request sent succeeded (also when none was sent).
bool set_line_paths(const EssMapLine* line, uint32_t action) {
    DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    record.DeviceNumber = DSM_FIND_BY_NAME;
    const char* digits = line->disk;
    while (*digits != '\0' && (*digits < '0' || *digits > '9')) digits++;
    snprintf(record.DeviceName, sizeof record.DeviceName, "\\Device\\Harddisk%s\\DR0", digits);
    if (dsm_control(IOCTL_DSM_GET_DEVICE_INFO, &record, sizeof record) != 0) {
        print_out("\n%s\n", get_message_text(MESSAGE(USER_COMMAND_ERROR)));
        return false;
    }
    uint32_t paths = record.PathCount > uint32_t(DSM_MAX_PATHS) ? uint32_t(DSM_MAX_PATHS) : record.PathCount;
    bool ok = true;
    for (uint32_t i = 0; i < paths; i++) {
        char name[16];
        snprintf(name, sizeof name, "Path%u", unsigned(i));
        if (strcmp(name, line->path) != 0) continue;
        DSM_PATH_STATE_REQUEST request;
        memset(&request, 0, sizeof request);
        request.DeviceNumber = record.DeviceNumber;
        request.PathNumber = i;
        request.Action = action;
        request.Marker = DSM_REQUEST_MARKER;
        uint32_t error = dsm_control(IOCTL_DSM_SET_PATH_STATE, &request, sizeof request);
        // A path the driver kept to preserve access was not changed.
        ok = error == 0 && request.Status != DSM_STATUS_PRESERVE_ACCESS;
    }
    return ok;
}

}  // namespace

int32_t set_port_state(const char* action, const char* port, const char* essid_word) {
    if (!valid_port_name(port)) {
        print_out("%s\n", get_message_text(MESSAGE(BAD_PORT_NAME)));
        return -1;
    }
    FILE* file = fopen("ravlinassmap.out", "r");
    if (file == nullptr) {
        print_out("%s\n", get_message_text(MESSAGE(ESSMAP_UNREADABLE)));
        return -1;
    }
    bool disable = strcmp(action, "disable") == 0;
    uint32_t request_action = disable ? DSM_ACTION_OFFLINE : DSM_ACTION_ONLINE;
    bool matched = false;
    bool succeeded = false;
    char text[kMapLineChars + 1];
    char ess_id[8] = "";  // a line of another type keeps the id of the line before it
    EssMapLine line;
    while (read_map_line(file, text)) {
        split_map_line(text, &line);
        map_line_ess_id(&line, ess_id);
        if (!line_matches(&line, ess_id, port, essid_word)) continue;
        matched = true;
        if (set_line_paths(&line, request_action)) {
            succeeded = true;
            continue;
        }
        char message[128];
        snprintf(message, sizeof message, msg::CANNOT_SET_PORT, action, line.disk, line.connection);
        print_out("\n%s\n", get_message_text_as_is(MESSAGE_ID(CANNOT_SET_PORT), message, action, line.disk, line.connection));
    }
    fclose(file);

    if (!matched) {
        print_out("%s\n", get_message_text(MESSAGE(PORT_NOT_FOUND)));
    } else if (succeeded) {
        if (disable) {
            print_out("\nSuccessfully disabled port %s\n", port);
            write_activity_log("Successfully disabled port %s\n", port);
        } else {
            print_out("\nSuccessfully enabled port %s\n", port);
            write_activity_log("Successfully enabled port %s\n", port);
        }
    } else {
        print_out("\nNo match found\n");
    }
    return 0;
}
