#include "version_document.h"

#include <stdio.h>

#include "document_start.h"
#include "ravlin_version.h"

namespace {

// The failure line the text form prints for the row, without its line end.
void failure_text(JsonWriter* w, const VersionFound& v) {
    char text[128];
    if (v.failure == VersionFailure::InfoSize)
        snprintf(text, sizeof text, "GetFileVersionInfoSize failed with last error %d", int(v.error));
    else if (v.failure == VersionFailure::Info)
        snprintf(text, sizeof text, "GetFileVersionInfo failed with status %d", 0);
    else if (v.failure == VersionFailure::Query)
        snprintf(text, sizeof text, "VerQueryValue Failed with status %d and bytes returned %d", v.found ? 1 : 0,
                 int(v.length));
    else
        snprintf(text, sizeof text, "malloc failed!");
    json_text(w, "error", text);
}

void write_component(JsonWriter* w, const VersionRow& row, const VersionFound& v, bool build_number) {
    json_begin_object(w, nullptr);
    json_text(w, "label", row.label);
    json_text(w, "file", row.file);
    if (v.failure != VersionFailure::None) {
        json_null(w, "version");
        failure_text(w, v);
    } else if (row.build_number) {
        // -b shows the whole build number; otherwise its first characters, as the text form.
        int n = build_number || v.text_length < kShortVersionChars ? v.text_length : kShortVersionChars;
        json_field(w, "version", v.text, size_t(n));
        json_field(w, "build_number", v.text, size_t(v.text_length));
        json_null(w, "error");
    } else {
        char text[48];
        unsigned parts[4] = {unsigned(v.info.dwFileVersionMS >> 16), unsigned(v.info.dwFileVersionMS & 0xFFFF),
                             unsigned(v.info.dwFileVersionLS >> 16), unsigned(v.info.dwFileVersionLS & 0xFFFF)};
        snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
        json_text(w, "version", text);
        json_begin_array(w, "file_version");
        for (unsigned part : parts) json_uint(w, nullptr, part);
        json_end_array(w);
        json_null(w, "error");
    }
    json_end_object(w);
}

}  // namespace

void write_version_document(const VersionRow* rows, const VersionFound* found, size_t count, bool build_number,
                            JsonSink sink) {
    static JsonWriter w;
    begin_document(&w, sink, "version");
    json_bool(&w, "build_number", build_number);
    json_text(&w, "tool_version", RAVLIN_VERSION);  // ravlin's own version: the drivers' are in components
    json_begin_array(&w, "components");
    for (size_t i = 0; i < count; i++) write_component(&w, rows[i], found[i], build_number);
    json_end_array(&w);
    end_document(&w);
}
