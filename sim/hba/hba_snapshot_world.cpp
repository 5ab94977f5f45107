// Reads the HBA snapshot from the Linux world file as last saved. Without the
// lock: ravlin holds it while the tool it runs loads this library.
#include <string.h>

#include "hba_snapshot_read.h"
#include "sim_world.h"
#include "world_file.h"

namespace {

SimWorld g_world;  // about 5 MB: never on the stack

}  // namespace

bool hba_snapshot_read(SimHbaSnapshot* out) {
    memset(out, 0, sizeof *out);
    out->version = SIM_HBA_DEFAULT_VERSION;
    char error[512];
    if (!world_file_load_saved(&g_world, error, sizeof error)) return false;
    // The model clamps the counts to the tables and terminates the texts.
    sim_hba_snapshot(&g_world, out);
    return true;
}
