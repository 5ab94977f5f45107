// Fuzzes the test device tree's call record as the test driver receives it from
// any program: every field of the record, over a tree whose disk count and
// identifiers come from the input too (unterminated ones included). The answer's
// text must be terminated within the caller's room, a disk count stay inside
// the table, and an unknown op be refused.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "sim_model.h"
#include "sim_tree_call.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Only the tree and the journal take part: clearing the whole world (megabytes)
    // would cost more than the call.
    static SimWorld world;
    memset(&world.device_tree, 0, sizeof world.device_tree);
    memset(&world.journal, 0, sizeof world.journal);
    SimTreeCall call;
    memset(&call, 0, sizeof call);
    size_t n = size < sizeof call ? size : sizeof call;
    memcpy(&call, data, n);
    data += n;
    size -= n;
    // What is left shapes the tree: a disk count, then identifier bytes for disk 0.
    SimDeviceTree* tree = &world.device_tree;
    if (size >= 4) {
        memcpy(&tree->disk_count, data, 4);
        data += 4;
        size -= 4;
    }
    memset(tree->disks[0].instance_id, 'M', sizeof tree->disks[0].instance_id);
    size_t id = size < sizeof tree->disks[0].instance_id ? size : sizeof tree->disks[0].instance_id;
    memcpy(tree->disks[0].instance_id, data, id);

    uint32_t op = call.op;
    uint32_t room = call.size;
    sim_tree_call(&world, &call);
    if (op == SIM_TREE_LIST && call.value > uint32_t(SIM_MAX_DISK_INSTANCES)) abort();
    if ((op == 0 || op > SIM_TREE_INSTALL_FLAGS) && call.result != 1) abort();
    size_t length = strnlen(call.text, sizeof call.text);
    if (length == sizeof call.text) abort();
    if (length > 0 && (op != SIM_TREE_INSTANCE_ID || call.result != 0 || length >= room)) abort();
    return 0;
}
