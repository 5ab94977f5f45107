// fenmar's output lines. ravlin parses the HostPort lines: they must stay
// character for character as they are.
#include <stdio.h>

#include "fenmar.h"

namespace {

// "Scsi Port" and the three characters after the first eight of the port's
// OS device name ("\\.\Scsi4:" gives "4", ":" and its terminating NUL, which is
// written out as it is).
void print_port_name(const HBA_PORTATTRIBUTES* port) {
    printf("Scsi Port%c%c%c", port->OSDeviceName[8], port->OSDeviceName[9], port->OSDeviceName[10]);
}

}  // namespace

void print_wwn(const HBA_WWN* wwn) {
    for (HBA_UINT8 byte : wwn->wwn) printf("%02X", unsigned(byte));
}

void print_port_line(const HBA_PORTATTRIBUTES* port, FenmarMode mode, int* printed) {
    if (mode != FENMAR_DETAIL && *printed == 0) fputs("\tAdapter Name\tPortWWN\n", stdout);
    fputs("\t", stdout);
    print_port_name(port);
    fputs("\t", stdout);
    print_wwn(&port->PortWWN);
    fputs("\n", stdout);
    ++*printed;
}

void print_port_header(const HBA_PORTATTRIBUTES* port, int* printed) {
    fputs("\n\tAdapter Name : ", stdout);
    print_port_name(port);
    fputs("\n\tPortWWN\t : ", stdout);
    print_wwn(&port->PortWWN);
    fputs("\n", stdout);
    ++*printed;
    printf("\tNumber Of Discovered Storage Host Ports : %d\n\n", int(port->NumberofDiscoveredPorts));
}

void print_host_port(HBA_UINT32 index, const HBA_PORTATTRIBUTES* port) {
    printf("\tHostPort: %02d WWPN: ", int(index));
    print_wwn(&port->PortWWN);
    printf("\tFcId:%06lX", static_cast<unsigned long>(port->PortFcId));
    if (port->PortType == HBA_PORTTYPE_NPORT)
        fputs("\tPortType:N_PORT ", stdout);
    else if (port->PortType == HBA_PORTTYPE_NLPORT)
        fputs("\tPortType:NL_PORT", stdout);
    else
        printf("\tPortType:%07d", int(port->PortType));
    if (port->PortState == HBA_PORTSTATE_ONLINE)
        fputs("\tPortState : HBA_PORTSTATE_ONLINE", stdout);
    else if (port->PortState == HBA_PORTSTATE_OFFLINE)
        fputs("\tPortState : HBA_PORTSTATE_OFFLINE", stdout);
    switch (port->PortSpeed) {
        case HBA_PORTSPEED_UNKNOWN: fputs("\tPortSpeed : HBA_PORTSPEED_UNKNOWN\n", stdout); break;
        case HBA_PORTSPEED_1GBIT: printf("\tPortSpeed : HBA_PORTSPEED_1GBIT %d \n", 1); break;
        case HBA_PORTSPEED_2GBIT: fputs("\tPortSpeed : HBA_PORTSPEED_2GBIT\n", stdout); break;
        case HBA_PORTSPEED_10GBIT: fputs("\tPortSpeed : HBA_PORTSPEED_10GBIT\n", stdout); break;
        default: fputs("\n", stdout); break;
    }
}

void print_adapter_block(int number, const HBA_ADAPTERATTRIBUTES* a) {
    printf("Adapter %d Attributes\n", number);
    // The texts come from the library and may fill their fields without a NUL.
    printf("\tManufacturer:\t%.*s\n", int(sizeof a->Manufacturer), a->Manufacturer);
    printf("\tModel:\t\t%.*s\n", int(sizeof a->Model), a->Model);
    printf("\tDriverVersion:\t%.*s\n", int(sizeof a->DriverVersion), a->DriverVersion);
    printf("\tBiosLevel:\t%.*s\n", int(sizeof a->OptionROMVersion), a->OptionROMVersion);
    printf("\tFirmware:\t%.*s\n", int(sizeof a->FirmwareVersion), a->FirmwareVersion);
}
