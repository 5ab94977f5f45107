// The rescan command: refresh the target port groups, then rescan `count` times.
#include <stdio.h>

#include "control_device.h"
#include "handlers.h"
#include "numeric_word.h"
#include "usage_text.h"

constexpr int32_t kMaxRescanCount = 50;

int32_t rescan_hardware(const char* count_word) {
    // The refresh goes out whatever the count turns out to be.
    if (exec_send_rtpg() != 0) printf("\nexec_send_rtpg error\n");

    int32_t count = 1;
    if (count_word != nullptr) {
        if (!is_numeric_word(count_word)) {
            print_invalid_command();
            return -1;
        }
        count = numeric_value(count_word);
    }
    if (count == 0 || count > kMaxRescanCount) {
        printf("\nPlease make sure rescan count is from 1 to 50\n");
        return 0;
    }
    // The device-tree rescan and the MPIO disk restart are not in this build yet.
    fprintf(stderr, "ravlin: 'rescanhw' device-tree rescan is not available in this build\n");
    return kHandlerNotBuilt;
}
