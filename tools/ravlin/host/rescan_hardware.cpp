// The rescan command: refresh the target port groups, then rescan `count` times.
#include <stdio.h>

#include "control_device.h"
#include "host_commands.h"
#include "mpio_restart.h"
#include "numeric_word.h"
#include "output_policy.h"
#include "platform.h"
#include "usage_text.h"

constexpr int32_t kMaxRescanCount = 50;

int32_t rescan_hardware(const char* count_word) {
    // The refresh goes out whatever the count turns out to be.
    if (exec_send_rtpg() != 0) print_out("\nexec_send_rtpg error\n");

    int32_t count = 1;
    if (count_word != nullptr) {
        if (!is_numeric_word(count_word)) {
            print_invalid_command();
            return -1;
        }
        count = numeric_value(count_word);
    }
    if (count == 0 || count > kMaxRescanCount) {
        print_out("\nPlease make sure rescan count is from 1 to 50\n");
        return 0;
    }
    for (int32_t i = 1; i <= count; i++) {
        uint32_t root = 0;
        uint32_t code = platform_locate_root(&root);
        if (code != 0) {
            print_out("CM_Locate_DevNode failed: %x\n", unsigned(code));
        } else {
            flush_output();  // the rescan takes a while: what is said so far is shown first
            code = platform_reenumerate(root);
            if (code != 0) {
                print_out("CM_Reenumerate_DevNode failed: %x,\n", unsigned(code));
                if (code == PLATFORM_CR_ACCESS_DENIED)
                    print_out("You must run hardware rescan from elevated mode command window\n");
            } else {
                print_out("Successfully completed node rescan iteration - %d\n", int(i));
            }
        }
        // The restart pass runs whatever became of the tree rescan.
        restart_mpio_disks(1);
    }
    return 0;
}
