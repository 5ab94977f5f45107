// The LUN size text of the device display.
#include "device_display.h"
#include "device_facts.h"
#include "output_policy.h"

int32_t print_lun_size(const LunCapacity* capacity) {
    const LunCapacity& c = *capacity;
    if (c.no_paths) {
        print_out("\tLUN SIZE: Failed to get device capacity");
        return 0;
    }
    for (uint32_t i = 0; i < c.status_count; i++) print_out("\n ScsiStatus Code = %x.", unsigned(c.statuses[i]));
    if (capacity_found(&c)) {
        char text[32];
        format_lun_size(c.last_lba, c.block_length, text, sizeof text);
        print_out("\tLUN SIZE: %s", text);
    }
    if (c.last_lba == 0 && c.failure == 0) print_out("\tLUN SIZE: Failed to get device capacity");
    return c.failure;
}
