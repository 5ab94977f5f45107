// Pseudo request codes: what the simulated machine does outside the control
// device's own requests, named like a control request so that faults and the
// journal can name it too. One list, so two services never share a code.
#pragma once

#include <stdint.h>

constexpr uint32_t SIM_CODE_OPEN = 0xFFFF0001u;        // the control device's open
constexpr uint32_t SIM_CODE_CLOSE = 0xFFFF0002u;       // and close
// A disk handle's open and close, journalled with the disk number as their four input bytes.
constexpr uint32_t SIM_CODE_DISK_OPEN = 0xFFFF0003u;
constexpr uint32_t SIM_CODE_DISK_CLOSE = 0xFFFF0004u;
// A device-tree property change; the entry's input holds the disk index, the state
// change and the scope (three u32).
constexpr uint32_t SIM_CODE_PROPERTY_CHANGE = 0xFFFF0005u;
// With the device tree's journal_calls set: locating the root node and a
// re-enumeration (no input), and setting a disk's class-install parameters (input
// as for the property change, which stands for the class installer's call).
constexpr uint32_t SIM_CODE_LOCATE_ROOT = 0xFFFF0006u;
constexpr uint32_t SIM_CODE_REENUMERATE = 0xFFFF0007u;
constexpr uint32_t SIM_CODE_CLASS_PARAMS = 0xFFFF0008u;
