// Fuzzes the scenario reader: any input is rejected cleanly or read into a world
// that writes out and reads back identically.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "sim_world.h"
#include "world_json.h"

namespace {
SimWorld g_first;
SimWorld g_second;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    char error[256];
    bool ok = world_from_json(text, &g_first, error, sizeof error);
    free(text);
    if (!ok) {
        if (strlen(error) >= sizeof error) __builtin_trap();
        return 0;
    }
    char* written = world_to_json(&g_first);
    if (written == nullptr) return 0;
    if (!world_from_json(written, &g_second, error, sizeof error)) __builtin_trap();
    free(written);
    if (memcmp(&g_first, &g_second, sizeof g_first) != 0) __builtin_trap();
    return 0;
}
