// -whatif and -ifsafe in front of the two changes that take paths offline.
#include <stdint.h>

#include "change_checks.h"
#include "control_device.h"
#include "error_document.h"
#include "config_commands.h"
#include "invocation_settings.h"
#include "whatif_report.h"

namespace {

// With -json a refusal's message is kept, not printed, and becomes the error
// document. The what-if's statuses are no failure: it prints its own document,
// so the run does not count as a -json run past the refusals.
void begin_refusals(bool json) { g_settings.json_output = json; }

int32_t end_refusals(int32_t result, bool json) {
    g_settings.json_output = false;
    if (result != 0 && json) write_error_document(result);
    return result;
}

}  // namespace

int32_t guarded_adapter_offline(int32_t adapter, const ChangeGuard& guard) {
    begin_refusals(guard.json);
    int32_t refused = end_refusals(check_adapter_change(adapter, "offline"), guard.json);
    if (refused != 0) return refused;
    PlannedChange change = adapter_change(&g_connection.adapter_table, g_connection.adapter_count, adapter);
    int32_t status = foresee_change(&change, guard);
    if (status != 0 || !guard.apply_if_safe) return status;
    return set_adapter_state(adapter, "offline", 1);
}

int32_t guarded_path_offline(uint32_t device, int32_t path, const ChangeGuard& guard) {
    begin_refusals(guard.json);
    int32_t refused = end_refusals(check_path_change(device, path, "offline"), guard.json);
    if (refused != 0) return refused;
    PlannedChange change = path_change(int32_t(device), path);
    int32_t status = foresee_change(&change, guard);
    if (status != 0 || !guard.apply_if_safe) return status;
    return set_path_state(device, path, "offline", 1);
}
