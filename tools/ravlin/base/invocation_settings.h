// Settings of one run, written by the dispatcher and the query option parser and
// read by the handlers. Not persisted.
#pragma once

#include <stdint.h>

constexpr uint32_t QF_ONE_DEVICE = 0x1;
constexpr uint32_t QF_MODEL = 0x4;
constexpr uint32_t QF_RANGE = 0x8;
constexpr uint32_t QF_REPEAT = 0x10;
constexpr uint32_t QF_SCSI_ADDR = 0x20;
constexpr uint32_t QF_ALL_PATHS = 0x40;
constexpr uint32_t QF_TPGS = 0x100;
constexpr uint32_t QF_ISCSI = 0x200;
constexpr uint32_t QF_FC = 0x400;
constexpr uint32_t QF_SAS = 0x800;
constexpr uint32_t QF_ANY_TYPE = 0x1000;

constexpr uint32_t AF_ONE_ADAPTER = 0x1;
constexpr uint32_t AF_ISCSI = 0x2;
constexpr uint32_t AF_FC = 0x4;
constexpr uint32_t AF_SAS = 0x8;

struct InvocationSettings {
    bool present_only;       // -c
    bool csv_only;           // -csv
    bool all_adapters;       // -a on the adapter query
    uint32_t perf_collection;
    bool color_enabled;      // -k
    uint16_t saved_attributes;
    int32_t first_device;
    int32_t last_device;
    int32_t display_interval;
    int32_t display_count;
    const char* device_model;  // refers to the command word
    bool json_output;          // -json: documents on stdout instead of text
};
extern InvocationSettings g_settings;

// The state every run starts from: all clear, saved attributes 7.
void reset_invocation_settings();
