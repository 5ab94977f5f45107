#include "error_document.h"

#include "document_start.h"
#include "json_writer.h"

void write_error_document(int32_t code) {
    static JsonWriter w;
    begin_document(&w, json_stdout_sink(), "error");
    json_begin_object(&w, "error");
    json_int(&w, "code", code);
    json_text(&w, "message", kept_failure_message());
    json_end_object(&w);
    end_document(&w);
}
