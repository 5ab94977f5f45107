// -whatif and -ifsafe in front of the two changes that take paths offline.
#include <stdint.h>

#include "change_checks.h"
#include "control_device.h"
#include "error_document.h"
#include "config_commands.h"
#include "whatif_report.h"

namespace {

// With -json the refusal's message was kept, not printed (the run's output mode),
// and becomes the error document; the what-if's own statuses are no failure, so the
// run does not end with one by itself.
int32_t refusal(int32_t result, bool json) {
    if (result != 0 && json) write_error_document(result);
    return result;
}

}  // namespace

int32_t guarded_adapter_offline(int32_t adapter, const ChangeGuard& guard) {
    int32_t refused = refusal(check_adapter_change(adapter, "offline"), guard.json);
    if (refused != 0) return refused;
    PlannedChange change = adapter_change(&g_connection.adapter_table, g_connection.adapter_count, adapter);
    int32_t status = foresee_change(&change, guard);
    if (status != 0 || !guard.apply_if_safe) return status;
    return set_adapter_state(adapter, "offline", 1);
}

int32_t guarded_path_offline(uint32_t device, int32_t path, const ChangeGuard& guard) {
    int32_t refused = refusal(check_path_change(device, path, "offline"), guard.json);
    if (refused != 0) return refused;
    PlannedChange change = path_change(int32_t(device), path);
    int32_t status = foresee_change(&change, guard);
    if (status != 0 || !guard.apply_if_safe) return status;
    return set_path_state(device, path, "offline", 1);
}
