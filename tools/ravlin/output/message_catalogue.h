// The message catalogue: every message the formatter resolves, one row each with
// its identifier, its name and its built-in text. This is the only place a message
// identifier is written. Several rows may share an identifier: a message table holds
// one text per identifier, so the built-in text is what tells the cases apart.
// Texts that end in a conversion are printf formats written here, never outside data.
//
// Each row X(NAME, identifier, text) gives msg::NAME (the text, a constant array the
// compiler checks as a format) and msg::NAME_ID; MESSAGE(NAME) is the pair the
// formatter takes. A name ending in _LF is the same text as the row without it,
// plus a line end.
#pragma once

#include <stddef.h>
#include <stdint.h>

// clang-format off
#define RAVLIN_MESSAGE_CATALOGUE(X)                                                                          \
    /* Grammar errors: the header, followed by the usage text. */                                           \
    X(INVALID_COMMAND, 0xC0000001, "Invalid command\n\n")                                                   \
    X(INVALID_ARGUMENT, 0xC0000003, "Invalid argument\n\n")                                                 \
    X(INVALID_ADAPTER_NUMBER, 0xC0000003, "Invalid adapter number.")                                        \
    /* Requests and their failures. */                                                                      \
    X(MAX_DEVICE_INVALID, 0xC0000006, "DeviceMaxCount#%d  Device#%d is invalid. No such device.\n")          \
    X(COMMAND_DEVICE_INVALID, 0xC0000006, "Device #%d is invalid. No such device.")                         \
    X(COMMAND_DEVICE_INVALID_LF, 0xC0000006, "Device #%d is invalid. No such device.\n")                    \
    X(COMMAND_DEVICES_INVALID, 0xC0000006, "Device #%d to #%d are invalid. No such devices.")               \
    X(COMMAND_ERROR, 0xC0000006, "Error executing command\n")                                               \
    X(COMMAND_ERROR_CODE, 0xC0000006, "Error executing command 0x%x\n")                                     \
    X(COMMAND_ERROR_STATUS, 0xC0000006, "Error executing command 0x%x 0x%x\n")                              \
    X(INVALID_DEVICE_NUMBER, 0xC0000006, "Invalid device number\n")                                         \
    X(NO_DEVICE_FILE, 0xC0000007, "No device file found\n")                                                 \
    X(NO_DEVICE_OF_TYPE, 0xC0000007, "No device of type %s found\n")                                        \
    X(CLOSE_FAILED, 0xC0000008, "Error closing device file\n")                                              \
    X(IOCTL_ERROR, 0xC0000009, "Error executing ioctl to device file\n")                                    \
    X(USER_COMMAND_ERROR, 0xC0000009, "Error executing a user command!\n")                                  \
    X(NO_VALID_DEVICE, 0xC000000A, "No valid device found\n")                                               \
    X(ESSMAP_UNREADABLE, 0xC000000B, "Error reading essmap.out!")                                           \
    X(MAP_UNREADABLE, 0xC000000B, "Error reading vdqessmap.out!")                                           \
    X(PORT_NOT_FOUND, 0xC000000C, "portname or essid not found")                                            \
    X(BAD_PORT_NAME, 0xC000000D, "Invalid portname format!")                                                \
    X(CANNOT_SET_PORT, 0xC000000E, "Cannot %s device %s port %s\n")                                         \
    /* Changes refused or made. */                                                                          \
    X(ADAPTER_KEEPS_ACCESS, 0x40000011, "To preserve device access the adapter cannot be set offline")      \
    X(ADAPTER_KEEPS_ACCESS_LF, 0x40000011, "To preserve device access the adapter cannot be set offline\n") \
    X(PATH_KEEPS_ACCESS, 0x40000011, "To preserve device access the path cannot be set offline\n")          \
    X(ADAPTER_SET, 15, "Success: set adapter %ld to %s\n")                                                  \
    X(PATH_SET, 16, "Success: set device %ld path %ld to %s\n")                                             \
    X(PREFERRED_PATH_SET, 16, "Success: set device %ld path %ld \n")                                        \
    X(RETRY_DELAY_SET, 0x40000036, "Success: device model %s retry delay is set to %d\n")                   \
    X(RETRY_DELAY_IS, 0x40000036, "Success: device model %s retry delay is %d\n")                           \
    X(REPEAT_ERROR_SET, 0x40000037, "Success: device model %s repeat_error is set to %d\n")                 \
    X(REPEAT_ERROR_IS, 0x40000037, "Success: device model %s repeat_error is %d\n")                         \
    X(REPEAT_INTERVAL_SET, 0x40000038, "Success: device model %s repeat_interval is set to %d\n")           \
    X(REPEAT_INTERVAL_IS, 0x40000038, "Success: device model %s repeat_interval is %d\n")                   \
    X(RESET_FAILED, 0x40000035, "\nFailed to reset %s counter.")                                            \
    X(RESET_DONE_EXCEPT_FEW, 0x40000035, "\nSuccessfully reset %s counter. (except few devices)")           \
    X(RESET_DONE, 0x40000035, "\nSuccessfully reset %s counter.")                                           \
    /* The driver's states and modes, as the tables show them (with -tpgs, the     \
       target-port-group wording of a path's state). */                                                     \
    X(STATE_NORMAL, 0x4000001E, "NORMAL")                                                                   \
    X(STATE_DEGRADED, 0x4000001F, "DEGRAD")                                                                 \
    X(STATE_FAILED, 0x40000020, "FAILED")                                                                   \
    X(STATE_INVALID, 0x40000021, "INVALID")                                                                 \
    X(MODE_ACTIVE, 0x40000022, "ACTIVE")                                                                    \
    X(MODE_OFFLINE, 0x40000023, "OFFLINE")                                                                  \
    X(PATH_OPEN, 0x40000024, "OPEN      ")                                                                  \
    X(PATH_OPEN_OPTIMIZED, 0x40000024, "Active/Optimized  ")                                                \
    X(PATH_OPEN_UNOPTIMIZED, 0x40000024, "Active/Unoptimized")                                              \
    X(PATH_CLOSED, 0x40000025, "CLOSE      ")                                                               \
    X(PATH_UNAVAILABLE, 0x40000025, "   Unavailable       ")                                                \
    X(PATH_DEAD, 0x40000026, "DEAD      ")                                                                  \
    X(PATH_STANDBY, 0x40000026, "    Standby           ")                                                   \
    /* The control device's name. */                                                                        \
    X(CONTROL_DEVICE_NAME, 0x40000013, "\\\\.\\RAVLIN")                                                     \
    /* Adapter displays. */                                                                                 \
    X(ADAPTER_HEADER, 0x40000015,                                                                           \
      "Adpt#        Name      Interface      State        Mode       Select     Errors  Paths   Active\n")   \
    X(ACTIVE_ADAPTERS, 0x40000016, "Active Adapters :%d\n")                                                 \
    X(ACTIVE_ISCSI_ADAPTERS, 0x40000016, "Active ISCSI Adapters :%d\n")                                     \
    X(ACTIVE_FC_ADAPTERS, 0x40000016, "Active FC Adapters :%d\n")                                           \
    X(ACTIVE_SAS_ADAPTERS, 0x40000016, "Active SAS Adapters :%d\n")                                         \
    X(ADAPTER_STATS_TITLE, 0x40000028, "Adapter #: %2d\n")                                                  \
    X(NO_ACTIVE_ADAPTER, 0x4000003C, "No active adapter found.")                                            \
    X(ADAPTER_NUMBER_NOTE, 0x4000003C, "Invalid adapter number.")                                           \
    X(NO_ACTIVE_ISCSI_ADAPTER, 0x4000003C, "No active ISCSI adapter found.\n")                              \
    X(NO_ACTIVE_FC_ADAPTER, 0x4000003C, "No active FC adapter found.\n")                                    \
    X(NO_ACTIVE_SAS_ADAPTER, 0x4000003C, "No active SAS adapter found.\n")                                  \
    X(NOT_ISCSI_ADAPTER, 0x4000003C, "Not an ISCSI adapter.\n")                                             \
    X(NOT_FC_ADAPTER, 0x4000003C, "Not an FC adapter.\n")                                                   \
    X(NOT_SAS_ADAPTER, 0x4000003C, "Not a SAS adapter.\n")                                                  \
    /* Device displays. */                                                                                  \
    X(PATH_HEADER, 0x40000018,                                                                              \
      "Path#     Adapter/Hard Disk     \t\tState         Mode       Select    Errors\n")                     \
    X(PATH_HEADER_SCSI, 0x40000019,                                                                         \
      "Path#     SCSI ADDRESS     Target Port\t     State         Mode       Select     Errors\n")           \
    X(TOTAL_DEVICES, 0x4000001A, "Total Devices : %ld\n")                                                   \
    X(TOTAL_ISCSI_DEVICES, 0x4000001A, "Total ISCSI Devices : %ld\n")                                       \
    X(TOTAL_FC_DEVICES, 0x4000001A, "Total FC Devices : %ld\n")                                             \
    X(TOTAL_SAS_DEVICES, 0x4000001A, "Total SAS Devices : %ld\n")                                           \
    X(DEVICE_TITLE, 0x4000001B, "DEV#: %3d  DEVICE NAME: ")                                                 \
    X(TYPE_LABEL, 0x4000001C, "TYPE")                                                                       \
    X(SERIAL_LABEL, 0x4000001D, "SERIAL")                                                                   \
    X(DEVICE_REMOVED, 0x4000003D, "Device #%d is removed.")                                                 \
    X(DEVICE_INVALID, 0x4000003E, "Device #%d is invalid. No such device.")                                 \
    X(DEVICE_INVALID_NO_STOP, 0x4000003E, "Device #%d is invalid. No such device")                          \
    X(NOT_ISCSI_DEVICE, 0x4000003E, "Device #%d is Not an iSCSI Device.")                                   \
    X(NOT_FC_DEVICE, 0x4000003E, "Device #%d is Not an FC Device.")                                         \
    X(NOT_SAS_DEVICE, 0x4000003E, "Device #%d is Not a SAS Device.")                                        \
    /* Statistics displays. */                                                                              \
    X(DEVICE_STATS_TITLE, 0x40000027, "Device #: %3d\n")                                                    \
    X(STATS_HEADER, 0x40000029, "Total Read  Total Write  Active Read  Active Write   Maximum\n")            \
    X(IO_ROW_LABEL, 0x4000002A, "I/O:            ")                                                         \
    X(SECTOR_ROW_LABEL, 0x4000002B, "SECTOR:         ")                                                     \
    X(TRANSFER_HEADER, 0x4000002C, "    <= 512        <= 4k       <= 16K        <= 64K     > 64K\n")        \
    X(TRANSFER_ROW_LABEL, 0x4000002D, "Transfer Size:  ")                                                   \
    /* Map displays. */                                                                                     \
    X(PORT_MAP_LEGEND, 0x40000039,                                                                          \
      "\nY  =  online/open\t\ty = (alternate path) online/open\nO  =  online/closed\t\to = (alternate path) " \
      "online/close\nN  =  offline\t\t\tn = (alternate path) offline\n-  =  path not configured\n?  =  path " \
      "information not available\nPD =  path down\n\nNote: 2105 devices' essid has 5 digits, while "         \
      "1750/2107 device's essid has 7 digits.\n")                                                           \
    X(ESS_MAP_HEADER, 0x4000003A,                                                                           \
      "Disk    Path    P  Location     LUN SN        Type          Size   LSS  Vol  Rank  C/A   S  "         \
      "Connection    Port   RaidMode\n"                                                                     \
      "------- ------- -- ------------ ------------- ------------- ------ ---- ---- ----- ----  -- "          \
      "------------- -----  ----------")
// clang-format on

namespace msg {
#define RAVLIN_MESSAGE_NAMES(name, id, text) \
    inline constexpr uint32_t name##_ID = id; \
    inline constexpr char name[] = text;
RAVLIN_MESSAGE_CATALOGUE(RAVLIN_MESSAGE_NAMES)
#undef RAVLIN_MESSAGE_NAMES
}  // namespace msg

// The identifier and built-in text of row NAME, as the formatter takes them.
#define MESSAGE(NAME) msg::NAME##_ID, msg::NAME
#define MESSAGE_ID(NAME) msg::NAME##_ID

struct CatalogueRow {
    uint32_t id;
    const char* name;
    const char* text;
};

inline constexpr CatalogueRow kMessageCatalogue[] = {
#define RAVLIN_MESSAGE_ROW(name, id, text) {id, #name, text},
    RAVLIN_MESSAGE_CATALOGUE(RAVLIN_MESSAGE_ROW)
#undef RAVLIN_MESSAGE_ROW
};

// Compile-time checks only (consteval): nothing of them is in the program.
namespace catalogue_check {

consteval bool same(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) a++, b++;
    return *a == *b;
}

// `longer` is `shorter` followed by one line end.
consteval bool plus_line_end(const char* longer, const char* shorter) {
    while (*shorter != '\0' && *shorter == *longer) shorter++, longer++;
    return *shorter == '\0' && longer[0] == '\n' && longer[1] == '\0';
}

// `longer` is `shorter` followed by "_LF".
consteval bool named_line_end(const char* longer, const char* shorter) {
    while (*shorter != '\0' && *shorter == *longer) shorter++, longer++;
    return *shorter == '\0' && same(longer, "_LF");
}

// No text is written twice under one identifier, and a text that differs from
// another of its identifier only by a final line end says so in its name.
consteval bool rows_are_sound() {
    size_t n = sizeof kMessageCatalogue / sizeof kMessageCatalogue[0];
    for (size_t i = 0; i < n; i++) {
        for (size_t j = 0; j < n; j++) {
            const CatalogueRow& a = kMessageCatalogue[i];
            const CatalogueRow& b = kMessageCatalogue[j];
            if (i == j || a.id != b.id) continue;
            if (same(a.text, b.text)) return false;
            if (plus_line_end(a.text, b.text) && !named_line_end(a.name, b.name)) return false;
        }
    }
    return true;
}

}  // namespace catalogue_check

static_assert(catalogue_check::rows_are_sound(),
              "a message text is written twice under one identifier, or a line-end variant is not named _LF");
