// The storage ports that the host's Fibre Channel ports have discovered, as the HBA
// tool reports them: each one's port id (the middle byte of its FC address) and WWPN.
#pragma once

#include <stdint.h>

constexpr int kHostPortMax = 256;
constexpr int kHostPortTextSize = 256;

// Runs `command` (e.g. "Fenmar.exe WWPNHP") through the command interpreter with its
// output redirected into a temporary file, fills port_ids[i] and wwpns[i] for each
// discovered storage port in the order of the output (*count entries; the caller
// sets *count to 0 first), removes the file, and returns the interpreter's status.
// The caller owns the tables (kHostPortMax entries each).
int32_t read_host_ports(const char* command, uint8_t* port_ids, char (*wwpns)[kHostPortTextSize], int32_t* count);
