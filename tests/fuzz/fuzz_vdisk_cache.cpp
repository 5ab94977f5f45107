// Fuzzes the volume-name cache with any file content: a load and a save never
// fail badly, and whatever a save leaves behind is JSON that parses.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <cJSON.h>

#include "activity_log.h"
#include "disk_identity.h"
#include "platform.h"
#include "vdisk_cache.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char root[] = "/tmp/ravlin-fuzz-cache-XXXXXX";
    if (mkdtemp(root) == nullptr) abort();
    setenv("RAVLIN_SIM_ROOT", root, 1);
    activity_log_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = platform_cache_path();
    // The activity log would only grow; it is not what is tested here.
    remove(platform_activity_log_path());
    FILE* f = fopen(path, "wb");
    if (f == nullptr) abort();
    fwrite(data, 1, size, f);
    fclose(f);

    char name[kVdiskNameSize] = {};
    int found = 0;
    load_vdisk_name("QVR70A0004400", name, &found);
    if (name[kVdiskNameSize - 1] != '\0') __builtin_trap();
    save_vdisk_name("QVR70A0004400", "vol\"new\\");

    f = fopen(path, "rb");
    if (f == nullptr) return 0;  // an unreadable file is left alone
    static char text[1 << 20];
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = '\0';
    cJSON* document = cJSON_Parse(text);
    if (document == nullptr && n < sizeof text - 1) __builtin_trap();
    cJSON_Delete(document);
    return 0;
}
