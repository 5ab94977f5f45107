// fenmar's output lines. ravlin parses the HostPort lines: they must stay
// character for character as they are.
#include <stdio.h>

#include "fenmar.h"
#include "output_policy.h"

namespace {

// "Scsi Port" and the three characters after the first eight of the port's
// OS device name ("\\.\Scsi4:" gives "4", ":" and its terminating NUL, which is
// written out as it is).
void print_port_name(const HBA_PORTATTRIBUTES* port) {
    print_out("Scsi Port%c%c%c", port->OSDeviceName[8], port->OSDeviceName[9], port->OSDeviceName[10]);
}

}  // namespace

void print_wwn(const HBA_WWN* wwn) {
    const HBA_UINT8* b = wwn->wwn;
    print_out("%02X%02X%02X%02X%02X%02X%02X%02X", unsigned(b[0]), unsigned(b[1]), unsigned(b[2]), unsigned(b[3]),
              unsigned(b[4]), unsigned(b[5]), unsigned(b[6]), unsigned(b[7]));
}

void print_port_line(const HBA_PORTATTRIBUTES* port, FenmarMode mode, int* printed) {
    if (mode != FENMAR_DETAIL && *printed == 0) put_out("\tAdapter Name\tPortWWN\n");
    put_out("\t");
    print_port_name(port);
    put_out("\t");
    print_wwn(&port->PortWWN);
    put_out("\n");
    ++*printed;
}

void print_port_header(const HBA_PORTATTRIBUTES* port, int* printed) {
    put_out("\n\tAdapter Name : ");
    print_port_name(port);
    put_out("\n\tPortWWN\t : ");
    print_wwn(&port->PortWWN);
    put_out("\n");
    ++*printed;
    print_out("\tNumber Of Discovered Storage Host Ports : %d\n\n", int(port->NumberofDiscoveredPorts));
}

void print_host_port(HBA_UINT32 index, const HBA_PORTATTRIBUTES* port) {
    print_out("\tHostPort: %02d WWPN: ", int(index));
    print_wwn(&port->PortWWN);
    print_out("\tFcId:%06lX", static_cast<unsigned long>(port->PortFcId));
    if (port->PortType == HBA_PORTTYPE_NPORT)
        put_out("\tPortType:N_PORT ");
    else if (port->PortType == HBA_PORTTYPE_NLPORT)
        put_out("\tPortType:NL_PORT");
    else
        print_out("\tPortType:%07d", int(port->PortType));
    if (port->PortState == HBA_PORTSTATE_ONLINE)
        put_out("\tPortState : HBA_PORTSTATE_ONLINE");
    else if (port->PortState == HBA_PORTSTATE_OFFLINE)
        put_out("\tPortState : HBA_PORTSTATE_OFFLINE");
    switch (port->PortSpeed) {
        case HBA_PORTSPEED_UNKNOWN: put_out("\tPortSpeed : HBA_PORTSPEED_UNKNOWN\n"); break;
        case HBA_PORTSPEED_1GBIT: print_out("\tPortSpeed : HBA_PORTSPEED_1GBIT %d \n", 1); break;
        case HBA_PORTSPEED_2GBIT: put_out("\tPortSpeed : HBA_PORTSPEED_2GBIT\n"); break;
        case HBA_PORTSPEED_10GBIT: put_out("\tPortSpeed : HBA_PORTSPEED_10GBIT\n"); break;
        default: put_out("\n"); break;
    }
}

void print_adapter_block(int number, const HBA_ADAPTERATTRIBUTES* a) {
    print_out("Adapter %d Attributes\n", number);
    // The texts come from the library and may fill their fields without a NUL.
    print_out("\tManufacturer:\t%.*s\n", int(sizeof a->Manufacturer), a->Manufacturer);
    print_out("\tModel:\t\t%.*s\n", int(sizeof a->Model), a->Model);
    print_out("\tDriverVersion:\t%.*s\n", int(sizeof a->DriverVersion), a->DriverVersion);
    print_out("\tBiosLevel:\t%.*s\n", int(sizeof a->OptionROMVersion), a->OptionROMVersion);
    print_out("\tFirmware:\t%.*s\n", int(sizeof a->FirmwareVersion), a->FirmwareVersion);
}
