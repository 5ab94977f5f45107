#include "document_start.h"

#include "output_policy.h"

void begin_document(JsonWriter* w, JsonSink sink, const char* kind) {
    json_start(w, sink);
    json_begin_object(w, nullptr);
    json_text(w, "schema", kJsonSchemaVersion);
    json_text(w, "kind", kind);
}

void end_document(JsonWriter* w) {
    json_end_object(w);
    json_finish(w);
    flush_output();  // a whole document, and with -i each pass, reaches the reader at once
}
