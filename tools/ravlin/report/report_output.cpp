#include "report_output.h"

namespace {

void to_string(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
}

}  // namespace

JsonSink string_sink(std::string* text) { return JsonSink{to_string, text}; }
