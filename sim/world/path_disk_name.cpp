#include "path_disk_name.h"

#include <stdio.h>

void own_disk_name(const char* device_name, size_t size, char* out, size_t out_size) {
    // A number longer than this is cut, so the name still fits a record field.
    constexpr size_t kMaxDigits = 11;
    char numbers[2][kMaxDigits + 1] = {};
    size_t i = 0;
    for (int n = 0; n < 2; n++) {
        while (i < size && device_name[i] != '\0' && !(device_name[i] >= '0' && device_name[i] <= '9')) i++;
        size_t len = 0;
        for (; i < size && device_name[i] >= '0' && device_name[i] <= '9'; i++)
            if (len < kMaxDigits) numbers[n][len++] = device_name[i];
    }
    snprintf(out, out_size, "Disk%s Part%s", numbers[0], numbers[1]);
}
