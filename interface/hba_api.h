// The SNIA Common HBA API as fenmar uses it: basic types, status and port
// codes, the adapter and port attribute records, and the ten functions it looks
// up by name. mingw-w64 ships no hbaapi.h. The records have the API's natural
// alignment and the functions its C calling convention (cdecl, the default of
// every compiler we build with), checked below on 32- and 64-bit builds.
// Shared by fenmar and the test HBA libraries.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint8_t HBA_UINT8;
typedef uint32_t HBA_UINT32;
typedef uint64_t HBA_UINT64;
typedef HBA_UINT32 HBA_STATUS;
typedef HBA_UINT32 HBA_HANDLE;
typedef HBA_UINT32 HBA_PORTTYPE;
typedef HBA_UINT32 HBA_PORTSTATE;
typedef HBA_UINT32 HBA_COS;
typedef HBA_UINT32 HBA_PORTSPEED;

struct HBA_WWN {
    HBA_UINT8 wwn[8];
};

struct HBA_FC4TYPES {
    HBA_UINT8 bits[32];
};

constexpr HBA_STATUS HBA_STATUS_OK = 0;
constexpr HBA_STATUS HBA_STATUS_ERROR = 1;
constexpr HBA_STATUS HBA_STATUS_ERROR_NOT_SUPPORTED = 2;
constexpr HBA_STATUS HBA_STATUS_ERROR_INVALID_HANDLE = 3;
constexpr HBA_STATUS HBA_STATUS_ERROR_ARG = 4;
constexpr HBA_STATUS HBA_STATUS_ERROR_ILLEGAL_WWN = 5;
constexpr HBA_STATUS HBA_STATUS_ERROR_ILLEGAL_INDEX = 6;

constexpr HBA_PORTTYPE HBA_PORTTYPE_NPORT = 5;
constexpr HBA_PORTTYPE HBA_PORTTYPE_NLPORT = 6;
constexpr HBA_PORTSTATE HBA_PORTSTATE_ONLINE = 2;
constexpr HBA_PORTSTATE HBA_PORTSTATE_OFFLINE = 3;
constexpr HBA_PORTSPEED HBA_PORTSPEED_UNKNOWN = 0;
constexpr HBA_PORTSPEED HBA_PORTSPEED_1GBIT = 1;
constexpr HBA_PORTSPEED HBA_PORTSPEED_2GBIT = 2;
constexpr HBA_PORTSPEED HBA_PORTSPEED_10GBIT = 4;

struct HBA_ADAPTERATTRIBUTES {
    char Manufacturer[64];
    char SerialNumber[64];
    char Model[256];
    char ModelDescription[256];
    HBA_WWN NodeWWN;
    char NodeSymbolicName[256];
    char HardwareVersion[256];
    char DriverVersion[256];
    char OptionROMVersion[256];
    char FirmwareVersion[256];
    HBA_UINT32 VendorSpecificID;
    HBA_UINT32 NumberOfPorts;
    char DriverName[256];
};

struct HBA_PORTATTRIBUTES {
    HBA_WWN NodeWWN;
    HBA_WWN PortWWN;
    HBA_UINT32 PortFcId;
    HBA_PORTTYPE PortType;
    HBA_PORTSTATE PortState;
    HBA_COS PortSupportedClassofService;
    HBA_FC4TYPES PortSupportedFc4Types;
    HBA_FC4TYPES PortActiveFc4Types;
    char PortSymbolicName[256];
    char OSDeviceName[256];
    HBA_PORTSPEED PortSupportedSpeed;
    HBA_PORTSPEED PortSpeed;
    HBA_UINT32 PortMaxFrameSize;
    HBA_WWN FabricName;
    HBA_UINT32 NumberofDiscoveredPorts;
};

#define HBA_LAYOUT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

static_assert(sizeof(HBA_ADAPTERATTRIBUTES) == 2192);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, Model, 128);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, NodeWWN, 640);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, DriverVersion, 1160);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, OptionROMVersion, 1416);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, FirmwareVersion, 1672);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, NumberOfPorts, 1932);
HBA_LAYOUT(HBA_ADAPTERATTRIBUTES, DriverName, 1936);

static_assert(sizeof(HBA_PORTATTRIBUTES) == 632);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortWWN, 8);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortFcId, 16);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortType, 20);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortState, 24);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortSupportedFc4Types, 32);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortSymbolicName, 96);
HBA_LAYOUT(HBA_PORTATTRIBUTES, OSDeviceName, 352);
HBA_LAYOUT(HBA_PORTATTRIBUTES, PortSpeed, 612);
HBA_LAYOUT(HBA_PORTATTRIBUTES, FabricName, 620);
HBA_LAYOUT(HBA_PORTATTRIBUTES, NumberofDiscoveredPorts, 628);

#undef HBA_LAYOUT

// The ten functions, as fenmar looks them up (GetProcAddress / dlsym by these names).
typedef HBA_UINT32 (*HBA_GetVersionFunc)(void);
typedef HBA_STATUS (*HBA_LoadLibraryFunc)(void);
typedef HBA_UINT32 (*HBA_GetNumberOfAdaptersFunc)(void);
typedef HBA_STATUS (*HBA_GetAdapterNameFunc)(HBA_UINT32 adapter_index, char* adapter_name);
typedef HBA_HANDLE (*HBA_OpenAdapterFunc)(char* adapter_name);
typedef HBA_STATUS (*HBA_GetAdapterAttributesFunc)(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes);
typedef HBA_STATUS (*HBA_GetAdapterPortAttributesFunc)(HBA_HANDLE handle, HBA_UINT32 port_index,
                                                        HBA_PORTATTRIBUTES* attributes);
typedef HBA_STATUS (*HBA_GetDiscoveredPortAttributesFunc)(HBA_HANDLE handle, HBA_UINT32 port_index,
                                                           HBA_UINT32 discovered_index, HBA_PORTATTRIBUTES* attributes);
typedef HBA_STATUS (*HBA_FreeLibraryFunc)(void);
typedef void (*HBA_CloseAdapterFunc)(HBA_HANDLE handle);

// The ten functions of a loaded library, bound by the names above.
struct HbaFunctions {
    HBA_GetVersionFunc get_version;
    HBA_LoadLibraryFunc load_library;
    HBA_GetNumberOfAdaptersFunc number_of_adapters;
    HBA_GetAdapterNameFunc adapter_name;
    HBA_OpenAdapterFunc open_adapter;
    HBA_GetAdapterAttributesFunc adapter_attributes;
    HBA_GetAdapterPortAttributesFunc port_attributes;
    HBA_GetDiscoveredPortAttributesFunc discovered_attributes;
    HBA_FreeLibraryFunc free_library;
    HBA_CloseAdapterFunc close_adapter;
};
