// The storage ports that the host's Fibre Channel ports have discovered, as the HBA
// tool reports them: each one's port id (the middle byte of its FC address) and WWPN.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int kHostPortMax = 256;
constexpr int kHostPortTextSize = 256;
constexpr int kHostPortLineMax = 256;  // kept "HostPort" lines of one run of the tool

// Runs `command` (e.g. "Fenmar.exe WWPNHP") through the command interpreter with its
// output redirected into a temporary file, fills port_ids[i] and wwpns[i] for each
// discovered storage port in the order of the output (*count entries; the caller
// sets *count to 0 first), removes the file, and returns the interpreter's status.
// The caller owns the tables (kHostPortMax entries each).
// A command that starts with the word "Fenmar.exe" runs the HBA tool that
// hba_tool_command chooses instead of whatever the current folder holds. The file
// is a new one in the system's temporary folder for every call, so calls at once
// never share it; without one the command is not run and the result is -1.
int32_t read_host_ports(const char* command, uint8_t* port_ids, char (*wwpns)[kHostPortTextSize], int32_t* count);

// Fills the table from `line_count` kept output lines (each NUL-terminated in
// its cell): one entry per "HostPort" line of an N_PORT. Returns the number of
// entries (also in *count, at most kHostPortMax), or -1 when there are no lines.
int32_t parse_host_ports(const char (*lines)[kHostPortTextSize], int32_t line_count, uint8_t* port_ids,
                         char (*wwpns)[kHostPortTextSize], int32_t* count);

// The command line that runs the HBA tool with `arguments` (may be empty), into
// `out`: the tool that stands in `program_dir` (the running program's folder,
// ending in its separator; nullptr: none) by its quoted full path, else the
// tool by its plain name as the command interpreter finds it. False when it
// does not fit.
bool hba_tool_command(const char* program_dir, const char* arguments, char* out, size_t size);

// `command` with a leading word "Fenmar.exe" replaced by the HBA tool beside the
// running program (hba_tool_command), into `out`; any other command as it is.
// False when it does not fit.
bool resolve_hba_command(const char* command, char* out, size_t size);
