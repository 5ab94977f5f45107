// `set device <n>/(<m> <n>) policy <word> [scope]`: the load-balance policy of a
// device range.
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "device_listing.h"
#include "device_record_read.h"
#include "config_commands.h"
#include "invocation_settings.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"
#include "policy_words.h"
#include "usage_text.h"

namespace {

// Sends the policy to one device; shows and logs it on success. Returns the
// device's result: 0, 3, or the failed request's code.
int32_t set_device_policy(int32_t device, uint32_t policy, uint32_t scope, const char* word) {
    DSM_POLICY_REQUEST request;
    memset(&request, 0, sizeof request);
    request.DeviceNumber = uint32_t(device);
    request.Policy = policy;
    request.Scope = scope;
    uint32_t error = dsm_control(IOCTL_DSM_SET_POLICY, &request, sizeof request);
    if (error == 0) {
        g_settings.first_device = device;
        show_device(QF_ONE_DEVICE, IOCTL_DSM_GET_DEVICE_INFO);
        write_activity_log("Successfully set device[%d] policy %s\n", int(device), word);
        return 0;
    }
    if (int32_t(error) < 0) {
        print_out("\n%s\n", get_message_text(MESSAGE(IOCTL_ERROR)));
        return int32_t(error);
    }
    if (error == DSM_ERROR_DEVICE_REMOVED) {
        print_device_gone(true, uint32_t(device));
        return 3;
    }
    if (error == DSM_ERROR_FILE_NOT_FOUND) {
        print_device_gone(false, uint32_t(device));
        return 3;
    }
    print_out("\n%s 0x%x\n", get_message_text(MESSAGE(IOCTL_ERROR)),
              unsigned(error));
    return int32_t(error);
}

}  // namespace

int32_t set_policy(int32_t first, int32_t last, const char* word, const char* scope_word) {
    uint32_t policy = 0;
    uint32_t scope = 0;
    bool known = policy_code(word, &policy) && scope_code(scope_word, &scope);
    assert(known);  // the grammar lets only the policy and scope words of its tables through
    (void)known;
    int32_t low = first < last ? first : last;
    int32_t high = first < last ? last : first;
    int32_t count = get_device_slot_count();
    int32_t requested_high = high;
    bool cut = high > count;
    if (cut) high = count - 1;

    int32_t result = 0;
    for (int32_t device = low; device <= high; device++) {
        result = set_device_policy(device, policy, scope, word);
        if (device == INT32_MAX) break;
    }
    if (cut) print_out("\n#Device %d to %d are not present\n", int(count), int(requested_high));
    return result;
}
