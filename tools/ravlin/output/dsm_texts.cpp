#include "dsm_texts.h"

#include <stdio.h>

#include "dsm_interface.h"
#include "message_catalogue.h"

namespace {
constexpr DsmText kInvalid = {MESSAGE(STATE_INVALID)};
}

DsmText adapter_state_text(uint32_t state) {
    switch (state) {
    case DSM_ADAPTER_NORMAL: return {MESSAGE(STATE_NORMAL)};
    case DSM_ADAPTER_DEGRADED: return {MESSAGE(STATE_DEGRADED)};
    case DSM_ADAPTER_FAILED: return {MESSAGE(STATE_FAILED)};
    default: return kInvalid;
    }
}

DsmText adapter_mode_text(uint32_t mode) {
    switch (mode) {
    case DSM_MODE_NORMAL: return {MESSAGE(MODE_ACTIVE)};
    case DSM_MODE_OFFLINE: return {MESSAGE(MODE_OFFLINE)};
    default: return kInvalid;
    }
}

DsmText path_mode_text(uint32_t mode) {
    switch (mode) {
    case DSM_MODE_NORMAL: return {MESSAGE(STATE_NORMAL)};
    case DSM_MODE_OFFLINE: return {MESSAGE(MODE_OFFLINE)};
    default: return kInvalid;
    }
}

DsmText path_state_text(uint32_t state, uint32_t non_optimized, bool tpgs) {
    switch (state) {
    case DSM_PATH_CLOSE: return tpgs ? DsmText{MESSAGE(PATH_UNAVAILABLE)} : DsmText{MESSAGE(PATH_CLOSED)};
    case DSM_PATH_OPEN:
        if (!tpgs) return {MESSAGE(PATH_OPEN)};
        return non_optimized != 0 ? DsmText{MESSAGE(PATH_OPEN_UNOPTIMIZED)} : DsmText{MESSAGE(PATH_OPEN_OPTIMIZED)};
    case DSM_PATH_DEAD: return tpgs ? DsmText{MESSAGE(PATH_STANDBY)} : DsmText{MESSAGE(PATH_DEAD)};
    default: return kInvalid;
    }
}

const char* bus_type_text(uint8_t bus_type) {
    switch (bus_type) {
    case DSM_BUS_FC: return "FC";
    case DSM_BUS_ISCSI: return "ISCSI";
    case DSM_BUS_SAS: return "SAS";
    default: return "SCSI";
    }
}

const char* interface_type_text(uint8_t interface_type) {
    switch (interface_type) {
    case DSM_IF_FC: return "FC";
    case DSM_IF_ISCSI: return "ISCSI";
    case DSM_IF_SAS: return "SAS";
    default: return nullptr;
    }
}

const char* policy_text(uint32_t policy) {
    static const char* const kPolicies[] = {
        "  POLICY: DEFAULT",
        "  POLICY: ROUND ROBIN",
        "  POLICY: FAILOVER",
        "  POLICY: LEAST I/O AND WEIGHT",
        "  POLICY: SINGLE PATH",
        "  POLICY: RESERVE",
        "  POLICY: SHORTEST QUEUE SERVICE TIME",
        "  POLICY: LEAST QUEUE DEPTH",
        "  POLICY: LEAST BYTES",
        "  POLICY: ROUND ROBIN SUB SET",
    };
    if (policy < sizeof kPolicies / sizeof kPolicies[0]) return kPolicies[policy];
    return "  POLICY: INVALID";
}

const char* device_display_name(const char* name, size_t size) {
    // Each number is cut to 11 digits so the result stays within 31 characters.
    constexpr size_t kMaxDigits = 11;
    static char result[50];
    char numbers[2][kMaxDigits + 1] = {};
    size_t i = 0;
    for (int n = 0; n < 2; n++) {
        while (i < size && name[i] != '\0' && !(name[i] >= '0' && name[i] <= '9')) i++;
        size_t len = 0;
        while (i < size && name[i] >= '0' && name[i] <= '9') {
            if (len < kMaxDigits) numbers[n][len++] = name[i];
            i++;
        }
    }
    snprintf(result, sizeof result, "Disk%s Part%s", numbers[0], numbers[1]);
    return result;
}
