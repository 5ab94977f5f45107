// The display texts of the driver's enumerations, each with the message
// identifier it is printed under, and the short display name of a device.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct DsmText {
    uint32_t id;       // message identifier; 0 for texts printed directly
    const char* text;  // the built-in text
};

DsmText adapter_state_text(uint32_t state);
DsmText adapter_mode_text(uint32_t mode);  // the adapter list's wording (ACTIVE)
DsmText path_mode_text(uint32_t mode);     // the path table's wording (NORMAL)
// Plain wording, or the target-port-group wording when `tpgs` is set.
DsmText path_state_text(uint32_t state, uint32_t non_optimized, bool tpgs);
// "FC", "ISCSI", "SAS" or "SCSI" for an adapter's BusType.
const char* bus_type_text(uint8_t bus_type);
// "FC", "ISCSI", "SAS", or nullptr: a device of another interface shows none.
const char* interface_type_text(uint8_t interface_type);
// The device display's policy line text, "  POLICY: ...".
const char* policy_text(uint32_t policy);

// "Disk<n> Part<m>" from an NT device name such as \Device\Harddisk3\DR3, reading
// at most `size` bytes of `name`. The result lives in a buffer owned here, which
// the next call overwrites.
const char* device_display_name(const char* name, size_t size);
