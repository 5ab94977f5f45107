// fenmar: lists the Fibre Channel adapters, their ports and the remote ports each
// port has discovered, through the HBA API library loaded at run time.
#pragma once

#include "hba_api.h"

enum FenmarMode {
    FENMAR_LIST,     // one line per adapter port
    FENMAR_DETAIL,   // per adapter its attributes, then its port lines
    FENMAR_WWPNHP,   // per adapter port the ports it discovered
    FENMAR_DEBUG,    // the list, with library banner, version and adapter count
};

// The mode a single argument asks for (nullptr: none given). Keywords are
// matched whole and case-sensitively; any other text is the list.
FenmarMode fenmar_mode(const char* argument);

// Loads the library, binds the functions and prints the listing of `mode` on
// standard output, reporting any failure there. Everything it loaded is released.
void fenmar_run(FenmarMode mode);

// Prints the adapters through bound functions after a successful HBA_LoadLibrary;
// stops at the first failure that ends the listing, with its message.
void fenmar_list_adapters(const HbaFunctions* hba, FenmarMode mode);

// Output pieces (fenmar_print.cpp).
void print_wwn(const HBA_WWN* wwn);
// The list-mode line of one adapter port; `printed` counts the ports printed so far.
void print_port_line(const HBA_PORTATTRIBUTES* port, FenmarMode mode, int* printed);
// The WWPNHP header of one adapter port (its discovered ports follow).
void print_port_header(const HBA_PORTATTRIBUTES* port, int* printed);
// One "HostPort" line of a discovered port, `index` restarting at 0 per adapter port.
void print_host_port(HBA_UINT32 index, const HBA_PORTATTRIBUTES* port);
// The detail-mode attribute block of adapter number `number` (1-based).
void print_adapter_block(int number, const HBA_ADAPTERATTRIBUTES* attributes);
