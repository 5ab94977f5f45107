// query/set retrydelay and query repeats / set repeat_error, repeat_interval: the
// per-model retry values the driver keeps. The model text is the user's, so it
// is only ever an argument, and a formatted line goes out exactly as formatted.
#include <stdio.h>
#include <string.h>

#include "control_device.h"
#include "config_commands.h"
#include "message_catalogue.h"
#include "message_text.h"
#include "output_policy.h"
#include "usage_text.h"

namespace {

constexpr size_t kModelChars = 7;  // DeviceModel holds 7 characters and the NUL

// Copies `model` into a request's DeviceModel field, or refuses it (with the
// invalid-argument message) when it does not fit.
bool put_model(char (&field)[8], const char* model) {
    size_t n = strlen(model);
    if (n > kModelChars) {
        print_invalid_argument();
        return false;
    }
    memcpy(field, model, n);
    return true;
}

// The message of a failed or refused request.
void print_user_command_error() {
    print_out("\n%s\n", get_message_text(MESSAGE(USER_COMMAND_ERROR)));
}

// Prints an already formatted line under `id` in the form "%s\n", as it stands.
void print_line(uint32_t id, const char* line) { print_out("%s\n", get_message_text_as_is(id, line)); }

// Gets or sets (by `code`) the retry delay of `model`; the request's result, or -1
// for a model that does not fit.
int32_t retry_delay(uint32_t code, const char* model, int32_t delay) {
    DSM_RETRY_DELAY_REQUEST request;
    memset(&request, 0, sizeof request);
    if (!put_model(request.DeviceModel, model)) return -1;
    bool set = code == IOCTL_DSM_SET_RETRY_DELAY;
    if (set) request.RetryDelay = uint32_t(delay);
    uint32_t result = dsm_control(code, &request, sizeof request);
    if (result != 0 || request.Status != 0) {
        print_user_command_error();
        return int32_t(result);
    }
    char line[80];
    if (set) snprintf(line, sizeof line, msg::RETRY_DELAY_SET, model, int(delay));
    else snprintf(line, sizeof line, msg::RETRY_DELAY_IS, model, int(request.RetryDelay));
    print_line(MESSAGE_ID(RETRY_DELAY_IS), line);
    return 0;
}

}  // namespace

int32_t get_retry_delay(const char* model) { return retry_delay(IOCTL_DSM_GET_RETRY_DELAY, model, 0); }

int32_t set_retry_delay(const char* model, int32_t delay) { return retry_delay(IOCTL_DSM_SET_RETRY_DELAY, model, delay); }

int32_t get_repeat(const char* model) {
    DSM_REPEAT_REQUEST request;
    memset(&request, 0, sizeof request);
    if (!put_model(request.DeviceModel, model)) return -1;
    uint32_t result = dsm_control(IOCTL_DSM_GET_REPEAT, &request, sizeof request);
    if (result != 0 || request.Status != 0) {
        print_user_command_error();
        return int32_t(result);
    }
    char line[80];
    snprintf(line, sizeof line, msg::REPEAT_ERROR_IS, model, int(request.RepeatError));
    print_line(MESSAGE_ID(REPEAT_ERROR_IS), line);
    snprintf(line, sizeof line, msg::REPEAT_INTERVAL_IS, model, int(request.RepeatInterval));
    print_line(MESSAGE_ID(REPEAT_INTERVAL_IS), line);
    return 0;
}

int32_t set_repeat(const char* model, uint32_t repeat_error, uint32_t repeat_interval) {
    DSM_REPEAT_REQUEST request;
    memset(&request, 0, sizeof request);
    if (!put_model(request.DeviceModel, model)) return -1;
    request.RepeatError = repeat_error;
    request.RepeatInterval = repeat_interval;
    uint32_t result = dsm_control(IOCTL_DSM_SET_REPEAT, &request, sizeof request);
    if (result != 0 || request.Status != 0) {
        print_user_command_error();
        return int32_t(result);
    }
    // The values as the driver left them in the buffer; 99999 means "not changed".
    char line[80];
    if (request.RepeatError != DSM_REPEAT_UNCHANGED) {
        snprintf(line, sizeof line, msg::REPEAT_ERROR_SET, model,
                 int(request.RepeatError));
        print_line(MESSAGE_ID(REPEAT_ERROR_IS), line);
    }
    if (request.RepeatInterval != DSM_REPEAT_UNCHANGED) {
        snprintf(line, sizeof line, msg::REPEAT_INTERVAL_SET, model,
                 int(request.RepeatInterval));
        print_line(MESSAGE_ID(REPEAT_INTERVAL_IS), line);
    }
    return 0;
}
