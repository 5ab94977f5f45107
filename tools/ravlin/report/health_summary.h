// The totals of one health check, its status and the texts of its report lines.
// Pure: formats into the caller's buffers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "health_verdict.h"

// The monitoring convention's statuses, which are also the exit statuses.
enum class HealthStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

struct HealthSummary {
    int32_t devices;
    int32_t down, spof, degraded, no_optimized;
    int32_t active_paths, failed_paths, standby_paths;
    int32_t unknown_target_paths;
    int32_t adapters_reported;   // not NORMAL or offline
    int32_t adapters_in_trouble; // not NORMAL (or a mode out of range)
    bool with_ports;             // -s: the storage ports were asked for
};

// Adds one judged device to the totals.
void add_device_health(HealthSummary* s, const DeviceHealth* h);

// CRITICAL when a device is down; WARNING when any other verdict is not OK or an
// adapter is in trouble; otherwise OK.
HealthStatus health_status(const HealthSummary* s);

// "OK", "WARNING", "CRITICAL" or "UNKNOWN"; a static text.
const char* status_word(HealthStatus status);

// The first line without its line end: "RAVLIN HEALTH OK - 12 devices, 96 active
// paths | devices=12 ...". Cut to `size`.
void format_health_summary(const HealthSummary* s, char* out, size_t size);

// One device's line without its line end: "<VERDICT>: DEV# n <name> (serial S):
// reason; reason". `serial` is a terminated text. Cut to `size`.
void format_device_line(int32_t number, const char* display_name, const char* serial, const DeviceHealth* h,
                        char* out, size_t size);
