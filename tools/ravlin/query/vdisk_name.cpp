// The volume name line of the device display.
#include "device_display.h"
#include "device_facts.h"
#include "output_policy.h"

void show_vdisk_name(const DSM_DEVICE_RECORD* r) {
    char name[kVdiskNameSize];
    if (find_vdisk_name(r, name) != VdiskSource::None) print_out("VDISK NAME: %s\n", name);
}
