// Reads the HBA snapshot from the Linux world file, under the world's lock.
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
    WorldFile file;
    char error[512];
    if (!world_file_lock_and_load(&file, &g_world, error, sizeof error)) return false;
    world_file_unlock(&file);
    // The model clamps the counts to the tables and terminates the texts.
    sim_hba_snapshot(&g_world, out);
    return true;
}
