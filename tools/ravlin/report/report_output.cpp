#include "report_output.h"

#include "error_document.h"
#include "health_summary.h"
#include "output_policy.h"

namespace {

void to_string(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
}

}  // namespace

JsonSink string_sink(std::string* text) { return JsonSink{to_string, text}; }

int32_t report_unknown_verdict(bool json, const char* report, const char* why) {
    if (json) {
        keep_failure_message(why);
        write_error_document(int32_t(HealthStatus::Unknown));
    } else {
        print_out("RAVLIN %s UNKNOWN - %s\n", report, why);
    }
    return int32_t(HealthStatus::Unknown);
}
