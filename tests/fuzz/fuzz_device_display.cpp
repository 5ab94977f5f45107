// Fuzzes the device displays with driver data: a device record, a preferred-path
// record and a statistics record, and the capacity replies that print_lun_size
// reads (the driver's answers come from the input, through a fake control device).
// Input: flags (4 bytes), device record (4344), preferred path (12), statistics (80),
// then per capacity request: 1 control byte (bit 0: fail) and 124 reply bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "device_display.h"
#include "device_stats_display.h"
#include "host_port_table.h"
#include "invocation_settings.h"
#include "platform.h"

namespace {

const uint8_t* g_replies;
size_t g_replies_left;
uint32_t g_last_error;

}  // namespace

// The control device, faked for this target: replies are taken from the input.
PlatformHandle platform_open_device(const char*) { return PlatformHandle{1}; }
bool platform_close_device(PlatformHandle) { return true; }
bool platform_device_control(PlatformHandle, uint32_t, void* in, uint32_t in_len, void* out, uint32_t out_len,
                             uint32_t* returned) {
    constexpr size_t kChunk = 1 + 124;
    if (g_replies_left < kChunk) {
        g_last_error = 31;
        return false;
    }
    const uint8_t* chunk = g_replies;
    g_replies += kChunk;
    g_replies_left -= kChunk;
    if ((chunk[0] & 1) != 0) {
        g_last_error = (chunk[0] & 2) != 0 ? 1306 : 31;
        return false;
    }
    // The reply overwrites the start of the request, as a buffered transfer does.
    uint32_t n = out_len < 124 ? out_len : 124;
    if (in != nullptr && in_len < n) n = in_len;
    memcpy(out, chunk + 1, n);
    *returned = n > uint32_t(chunk[0] >> 1) ? n - (chunk[0] >> 1) : n;
    return true;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char root[] = "/tmp/fuzz-device-display-XXXXXX";
    if (mkdtemp(root) != nullptr) setenv("RAVLIN_SIM_ROOT", root, 1);
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
    // One pass for the whole run: the HBA tool is asked at most once.
    host_ports_begin_pass();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHead = 4 + sizeof(DSM_DEVICE_RECORD) + sizeof(DSM_PREFERRED_PATH) + sizeof(DSM_DEVICE_STATS);
    static uint8_t head[kHead];
    memset(head, 0, sizeof head);
    memcpy(head, data, size < kHead ? size : kHead);
    g_replies = size > kHead ? data + kHead : nullptr;
    g_replies_left = size > kHead ? size - kHead : 0;

    uint32_t flags;
    static DSM_DEVICE_RECORD record;
    DSM_PREFERRED_PATH preferred;
    DSM_DEVICE_STATS stats;
    memcpy(&flags, head, 4);
    memcpy(&record, head + 4, sizeof record);
    memcpy(&preferred, head + 4 + sizeof record, sizeof preferred);
    memcpy(&stats, head + 4 + sizeof record + sizeof preferred, sizeof stats);

    reset_invocation_settings();
    g_settings.csv_only = (flags & 0x80000000u) != 0;
    print_device(&record, flags & 0x1F7Fu, &preferred);
    print_device_stats(&stats);
    return 0;
}
