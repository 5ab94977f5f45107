// `query version [-b]`: each row read, then shown as a line as soon as it is read,
// or all of them as one document in the machine form.
#include <stddef.h>

#include "invocation_settings.h"
#include "json_writer.h"
#include "query_commands.h"
#include "version_document.h"
#include "version_report.h"

int32_t show_versions(int build_number_flag) {
    size_t count = 0;
    const VersionRow* rows = version_rows(&count);
    VersionFound found[4];
    if (count > sizeof found / sizeof found[0]) count = sizeof found / sizeof found[0];
    for (size_t i = 0; i < count; i++) {
        VersionFound* v = &found[i];
        v->block = nullptr;
        read_version_row(rows[i], v);
        if (!g_settings.json_output) {
            print_version_row(rows[i], build_number_flag != 0, *v);
            release_version_row(v);
        }
    }
    if (g_settings.json_output) {
        write_version_document(rows, found, count, build_number_flag != 0, json_stdout_sink());
        for (size_t i = 0; i < count; i++) release_version_row(&found[i]);
    }
    return 0;
}
