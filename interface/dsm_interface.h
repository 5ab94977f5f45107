// The driver interface of ravlindsm.sys: request codes, the records that travel
// with them and their enumerations. Shared by ravlin and the driver simulator,
// so it stays freestanding: fixed-width integers only, no library beyond <stdint.h>.
// Every record is little-endian on the wire and is checked below, field by field,
// on every compiler we build with.
#pragma once

#include <stddef.h>
#include <stdint.h>

// ---- Request codes ---------------------------------------------------------
// Device type 0x84C9, FILE_READ_ACCESS | FILE_WRITE_ACCESS, METHOD_BUFFERED.
constexpr uint32_t DSM_DEVICE_TYPE = 0x84C9;
constexpr uint32_t dsm_request_code(uint32_t function) {
    return (DSM_DEVICE_TYPE << 16) | (3u << 14) | (function << 2) | 0u;
}
constexpr uint32_t dsm_request_function(uint32_t code) { return (code >> 2) & 0xFFFu; }

constexpr uint32_t IOCTL_DSM_GET_COUNTS = dsm_request_code(1);
constexpr uint32_t IOCTL_DSM_GET_ADAPTER_INFO = dsm_request_code(2);
constexpr uint32_t IOCTL_DSM_GET_DEVICE_INFO = dsm_request_code(3);
constexpr uint32_t IOCTL_DSM_SET_PATH_STATE = dsm_request_code(4);
constexpr uint32_t IOCTL_DSM_SET_ADAPTER_STATE = dsm_request_code(5);
constexpr uint32_t IOCTL_DSM_GET_DEVICE_STATS = dsm_request_code(7);
constexpr uint32_t IOCTL_DSM_GET_ADAPTER_STATS = dsm_request_code(8);
constexpr uint32_t IOCTL_DSM_SET_POLICY = dsm_request_code(11);
constexpr uint32_t IOCTL_DSM_CLEAR_COUNTERS = dsm_request_code(14);
constexpr uint32_t IOCTL_DSM_GET_RETRY_DELAY = dsm_request_code(15);
constexpr uint32_t IOCTL_DSM_SET_RETRY_DELAY = dsm_request_code(16);
constexpr uint32_t IOCTL_DSM_GET_REPEAT = dsm_request_code(17);
constexpr uint32_t IOCTL_DSM_SET_REPEAT = dsm_request_code(18);
constexpr uint32_t IOCTL_DSM_GET_ISCSI_COUNT = dsm_request_code(19);
constexpr uint32_t IOCTL_DSM_GET_FC_COUNT = dsm_request_code(20);
constexpr uint32_t IOCTL_DSM_GET_SAS_COUNT = dsm_request_code(21);
constexpr uint32_t IOCTL_DSM_SET_DEVICE_PERF = dsm_request_code(23);
constexpr uint32_t IOCTL_DSM_SET_PERF = dsm_request_code(24);
constexpr uint32_t IOCTL_DSM_SET_TRACE = dsm_request_code(25);
constexpr uint32_t IOCTL_DSM_GET_CSV_COUNT = dsm_request_code(26);
constexpr uint32_t IOCTL_DSM_GET_ALL_ADAPTER_INFO = dsm_request_code(27);
constexpr uint32_t IOCTL_DSM_SEND_RTPG = dsm_request_code(28);
constexpr uint32_t IOCTL_DSM_SET_PREFERRED_PATH = dsm_request_code(29);
constexpr uint32_t IOCTL_DSM_GET_PREFERRED_PATH = dsm_request_code(30);
constexpr uint32_t IOCTL_DSM_READ_CAPACITY = dsm_request_code(100);

static_assert(IOCTL_DSM_GET_COUNTS == 0x84C9C004u);
static_assert(IOCTL_DSM_GET_ADAPTER_INFO == 0x84C9C008u);
static_assert(IOCTL_DSM_GET_DEVICE_INFO == 0x84C9C00Cu);
static_assert(IOCTL_DSM_SET_PATH_STATE == 0x84C9C010u);
static_assert(IOCTL_DSM_SET_ADAPTER_STATE == 0x84C9C014u);
static_assert(IOCTL_DSM_GET_DEVICE_STATS == 0x84C9C01Cu);
static_assert(IOCTL_DSM_GET_ADAPTER_STATS == 0x84C9C020u);
static_assert(IOCTL_DSM_SET_POLICY == 0x84C9C02Cu);
static_assert(IOCTL_DSM_CLEAR_COUNTERS == 0x84C9C038u);
static_assert(IOCTL_DSM_GET_RETRY_DELAY == 0x84C9C03Cu);
static_assert(IOCTL_DSM_SET_RETRY_DELAY == 0x84C9C040u);
static_assert(IOCTL_DSM_GET_REPEAT == 0x84C9C044u);
static_assert(IOCTL_DSM_SET_REPEAT == 0x84C9C048u);
static_assert(IOCTL_DSM_GET_ISCSI_COUNT == 0x84C9C04Cu);
static_assert(IOCTL_DSM_GET_FC_COUNT == 0x84C9C050u);
static_assert(IOCTL_DSM_GET_SAS_COUNT == 0x84C9C054u);
static_assert(IOCTL_DSM_SET_DEVICE_PERF == 0x84C9C05Cu);
static_assert(IOCTL_DSM_SET_PERF == 0x84C9C060u);
static_assert(IOCTL_DSM_SET_TRACE == 0x84C9C064u);
static_assert(IOCTL_DSM_GET_CSV_COUNT == 0x84C9C068u);
static_assert(IOCTL_DSM_GET_ALL_ADAPTER_INFO == 0x84C9C06Cu);
static_assert(IOCTL_DSM_SEND_RTPG == 0x84C9C070u);
static_assert(IOCTL_DSM_SET_PREFERRED_PATH == 0x84C9C074u);
static_assert(IOCTL_DSM_GET_PREFERRED_PATH == 0x84C9C078u);
static_assert(IOCTL_DSM_READ_CAPACITY == 0x84C9C190u);

// Windows error codes that the driver answers with and that callers interpret.
constexpr uint32_t DSM_ERROR_INVALID_FUNCTION = 1;
constexpr uint32_t DSM_ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t DSM_ERROR_BAD_LENGTH = 24;
constexpr uint32_t DSM_ERROR_GEN_FAILURE = 31;
constexpr uint32_t DSM_ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t DSM_ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t DSM_ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr uint32_t DSM_ERROR_DEVICE_REMOVED = 1617;

// `Status` values the driver writes into a record.
constexpr uint32_t DSM_STATUS_INVALID_DEVICE = 3;
constexpr uint32_t DSM_STATUS_PRESERVE_ACCESS = 5;

constexpr int DSM_MAX_ADAPTERS = 32;
constexpr int DSM_MAX_PATHS = 32;
constexpr uint32_t DSM_FIND_BY_NAME = 0xFFFFFFFFu;

#pragma pack(push, 1)

// Carried by the five count requests.
struct DSM_COUNT_RECORD {
    uint32_t Reserved;
    int32_t Count;
};

struct DSM_ADAPTER_ENTRY {
    uint32_t State;
    uint32_t Mode;
    uint32_t SelectCount;
    int32_t ErrorCount;
    int32_t PathCount;
    int32_t ActivePathCount;
    uint8_t Reserved[8];
    char AdapterName[48];
    uint8_t BusType;
    uint8_t Padding[3];
};

struct DSM_ADAPTER_TABLE {
    uint32_t Reserved;
    int32_t AdapterCount;
    DSM_ADAPTER_ENTRY Adapters[DSM_MAX_ADAPTERS];
};

struct DSM_PATH_ENTRY {
    char DiskName[48];
    char AdapterName[48];
    uint32_t State;
    uint32_t Mode;
    int32_t SelectCount;
    int32_t ErrorCount;
    uint32_t Reserved1;
    uint8_t ScsiAddress[4];
    uint32_t NonOptimized;
    uint32_t Reserved2;
};

struct DSM_DEVICE_RECORD {
    uint32_t Status;
    uint32_t DeviceNumber;
    uint32_t ScsiLevel;
    char DeviceName[48];
    char SerialNumber[63];
    char ProductId[8];  // exactly 8 characters, not terminated
    uint8_t Reserved1;
    uint32_t Policy;
    uint32_t PathCount;
    uint8_t Reserved2[12];
    DSM_PATH_ENTRY Paths[DSM_MAX_PATHS];
    char LunIdentifier[68];
    uint32_t IsReserved;
    uint8_t IsCsv;
    uint8_t Padding1[3];
    uint32_t KeyCount;
    uint64_t Key;
    uint8_t InterfaceType;
    uint8_t Padding2[7];
};

struct DSM_PREFERRED_PATH {
    uint32_t DeviceNumber;
    uint32_t PathNumber;
    uint8_t IsSet;
    uint8_t Zero[3];
};

struct DSM_DEVICE_STATS {
    int32_t Status;
    uint32_t DeviceNumber;
    uint32_t Reserved;
    char ProductId[8];
    uint32_t IoCounters[5];      // total read, total write, active read, active write, maximum
    uint32_t SectorCounters[5];  // the same five for sectors
    uint32_t SizeHistogram[5];   // <=512, <=4K, <=16K, <=64K, >64K
};

struct DSM_ADAPTER_STATS {
    uint32_t Reserved;
    uint32_t AdapterNumber;
    uint32_t IoCounters[5];
    uint32_t SectorCounters[5];
};

// Windows SCSI_PASS_THROUGH in its 64-bit layout, spelled out so that the
// 32-bit build sends the same bytes as the 64-bit one.
struct DSM_SCSI_PASS_THROUGH64 {
    uint16_t Length;
    uint8_t ScsiStatus;
    uint8_t PathId;
    uint8_t TargetId;
    uint8_t Lun;
    uint8_t CdbLength;
    uint8_t SenseInfoLength;
    uint8_t DataIn;
    uint8_t Padding1[3];
    uint32_t DataTransferLength;
    uint32_t TimeOutValue;
    uint32_t Padding2;
    uint64_t DataBufferOffset;
    uint32_t SenseInfoOffset;
    uint8_t Cdb[16];
    uint8_t Padding3[4];
};

struct DSM_PASS_THROUGH_REQUEST {
    uint32_t DeviceNumber;
    uint32_t PathNumber;
    uint8_t Zero1[8];
    DSM_SCSI_PASS_THROUGH64 Spt;
    uint8_t Zero2[8];
    uint8_t Sense[32];
    uint8_t Data[512];
};

// ---- Request bodies of the configuration commands ---------------------------

struct DSM_ADAPTER_STATE_REQUEST {
    uint32_t Status;
    uint32_t AdapterNumber;
    uint32_t Action;
    uint32_t Marker;
};

struct DSM_PATH_STATE_REQUEST {
    uint32_t Status;
    uint32_t DeviceNumber;
    uint32_t PathNumber;
    uint32_t Action;
    uint32_t Marker;
};

struct DSM_POLICY_REQUEST {
    uint32_t Reserved1;
    uint32_t DeviceNumber;
    uint8_t Reserved2[48];
    uint32_t Policy;
    uint32_t Scope;
};

struct DSM_CLEAR_REQUEST {
    uint32_t Status;
    uint32_t FirstDevice;
    uint32_t LastDevice;
    uint32_t CounterKind;
};

struct DSM_RETRY_DELAY_REQUEST {
    uint32_t Status;
    char DeviceModel[8];
    uint32_t RetryDelay;
};

struct DSM_REPEAT_REQUEST {
    uint32_t Status;
    char DeviceModel[8];
    uint32_t RepeatError;
    uint32_t RepeatInterval;
};

#pragma pack(pop)

// ---- Layout checks -----------------------------------------------------------
#define DSM_LAYOUT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

static_assert(sizeof(DSM_COUNT_RECORD) == 8);
DSM_LAYOUT(DSM_COUNT_RECORD, Count, 4);

static_assert(sizeof(DSM_ADAPTER_ENTRY) == 84);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, State, 0);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, Mode, 4);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, SelectCount, 8);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, ErrorCount, 12);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, PathCount, 16);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, ActivePathCount, 20);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, Reserved, 24);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, AdapterName, 32);
DSM_LAYOUT(DSM_ADAPTER_ENTRY, BusType, 80);

static_assert(sizeof(DSM_ADAPTER_TABLE) == 2696);
DSM_LAYOUT(DSM_ADAPTER_TABLE, AdapterCount, 4);
DSM_LAYOUT(DSM_ADAPTER_TABLE, Adapters, 8);

static_assert(sizeof(DSM_PATH_ENTRY) == 128);
DSM_LAYOUT(DSM_PATH_ENTRY, DiskName, 0);
DSM_LAYOUT(DSM_PATH_ENTRY, AdapterName, 48);
DSM_LAYOUT(DSM_PATH_ENTRY, State, 96);
DSM_LAYOUT(DSM_PATH_ENTRY, Mode, 100);
DSM_LAYOUT(DSM_PATH_ENTRY, SelectCount, 104);
DSM_LAYOUT(DSM_PATH_ENTRY, ErrorCount, 108);
DSM_LAYOUT(DSM_PATH_ENTRY, ScsiAddress, 116);
DSM_LAYOUT(DSM_PATH_ENTRY, NonOptimized, 120);

static_assert(sizeof(DSM_DEVICE_RECORD) == 4344);
DSM_LAYOUT(DSM_DEVICE_RECORD, Status, 0);
DSM_LAYOUT(DSM_DEVICE_RECORD, DeviceNumber, 4);
DSM_LAYOUT(DSM_DEVICE_RECORD, ScsiLevel, 8);
DSM_LAYOUT(DSM_DEVICE_RECORD, DeviceName, 12);
DSM_LAYOUT(DSM_DEVICE_RECORD, SerialNumber, 60);
DSM_LAYOUT(DSM_DEVICE_RECORD, ProductId, 123);
DSM_LAYOUT(DSM_DEVICE_RECORD, Policy, 132);
DSM_LAYOUT(DSM_DEVICE_RECORD, PathCount, 136);
DSM_LAYOUT(DSM_DEVICE_RECORD, Paths, 152);
DSM_LAYOUT(DSM_DEVICE_RECORD, LunIdentifier, 4248);
DSM_LAYOUT(DSM_DEVICE_RECORD, IsReserved, 4316);
DSM_LAYOUT(DSM_DEVICE_RECORD, IsCsv, 4320);
DSM_LAYOUT(DSM_DEVICE_RECORD, KeyCount, 4324);
DSM_LAYOUT(DSM_DEVICE_RECORD, Key, 4328);
DSM_LAYOUT(DSM_DEVICE_RECORD, InterfaceType, 4336);
// Path i's State lies at 248 + 128 * i; the last entry ends where LunIdentifier begins.
static_assert(offsetof(DSM_DEVICE_RECORD, Paths) + offsetof(DSM_PATH_ENTRY, State) == 248);
static_assert(offsetof(DSM_DEVICE_RECORD, Paths) + 31 * sizeof(DSM_PATH_ENTRY) == 4120);
static_assert(offsetof(DSM_DEVICE_RECORD, Paths) + 32 * sizeof(DSM_PATH_ENTRY) ==
              offsetof(DSM_DEVICE_RECORD, LunIdentifier));

static_assert(sizeof(DSM_PREFERRED_PATH) == 12);
DSM_LAYOUT(DSM_PREFERRED_PATH, PathNumber, 4);
DSM_LAYOUT(DSM_PREFERRED_PATH, IsSet, 8);

static_assert(sizeof(DSM_DEVICE_STATS) == 80);
DSM_LAYOUT(DSM_DEVICE_STATS, DeviceNumber, 4);
DSM_LAYOUT(DSM_DEVICE_STATS, ProductId, 12);
DSM_LAYOUT(DSM_DEVICE_STATS, IoCounters, 20);
DSM_LAYOUT(DSM_DEVICE_STATS, SectorCounters, 40);
DSM_LAYOUT(DSM_DEVICE_STATS, SizeHistogram, 60);

static_assert(sizeof(DSM_ADAPTER_STATS) == 48);
DSM_LAYOUT(DSM_ADAPTER_STATS, AdapterNumber, 4);
DSM_LAYOUT(DSM_ADAPTER_STATS, IoCounters, 8);
DSM_LAYOUT(DSM_ADAPTER_STATS, SectorCounters, 28);

static_assert(sizeof(DSM_SCSI_PASS_THROUGH64) == 56);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, ScsiStatus, 2);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, CdbLength, 6);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, SenseInfoLength, 7);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, DataIn, 8);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, DataTransferLength, 12);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, TimeOutValue, 16);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, DataBufferOffset, 24);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, SenseInfoOffset, 32);
DSM_LAYOUT(DSM_SCSI_PASS_THROUGH64, Cdb, 36);

static_assert(sizeof(DSM_PASS_THROUGH_REQUEST) == 624);
DSM_LAYOUT(DSM_PASS_THROUGH_REQUEST, PathNumber, 4);
DSM_LAYOUT(DSM_PASS_THROUGH_REQUEST, Spt, 16);
static_assert(offsetof(DSM_PASS_THROUGH_REQUEST, Spt) + offsetof(DSM_SCSI_PASS_THROUGH64, ScsiStatus) == 18);
DSM_LAYOUT(DSM_PASS_THROUGH_REQUEST, Zero2, 72);
DSM_LAYOUT(DSM_PASS_THROUGH_REQUEST, Sense, 80);
DSM_LAYOUT(DSM_PASS_THROUGH_REQUEST, Data, 112);

static_assert(sizeof(DSM_ADAPTER_STATE_REQUEST) == 16);
DSM_LAYOUT(DSM_ADAPTER_STATE_REQUEST, AdapterNumber, 4);
DSM_LAYOUT(DSM_ADAPTER_STATE_REQUEST, Action, 8);
DSM_LAYOUT(DSM_ADAPTER_STATE_REQUEST, Marker, 12);

static_assert(sizeof(DSM_PATH_STATE_REQUEST) == 20);
DSM_LAYOUT(DSM_PATH_STATE_REQUEST, DeviceNumber, 4);
DSM_LAYOUT(DSM_PATH_STATE_REQUEST, PathNumber, 8);
DSM_LAYOUT(DSM_PATH_STATE_REQUEST, Action, 12);
DSM_LAYOUT(DSM_PATH_STATE_REQUEST, Marker, 16);

static_assert(sizeof(DSM_POLICY_REQUEST) == 64);
DSM_LAYOUT(DSM_POLICY_REQUEST, DeviceNumber, 4);
DSM_LAYOUT(DSM_POLICY_REQUEST, Reserved2, 8);
DSM_LAYOUT(DSM_POLICY_REQUEST, Policy, 56);
DSM_LAYOUT(DSM_POLICY_REQUEST, Scope, 60);

static_assert(sizeof(DSM_CLEAR_REQUEST) == 16);
DSM_LAYOUT(DSM_CLEAR_REQUEST, FirstDevice, 4);
DSM_LAYOUT(DSM_CLEAR_REQUEST, LastDevice, 8);
DSM_LAYOUT(DSM_CLEAR_REQUEST, CounterKind, 12);

static_assert(sizeof(DSM_RETRY_DELAY_REQUEST) == 16);
DSM_LAYOUT(DSM_RETRY_DELAY_REQUEST, DeviceModel, 4);
DSM_LAYOUT(DSM_RETRY_DELAY_REQUEST, RetryDelay, 12);

static_assert(sizeof(DSM_REPEAT_REQUEST) == 20);
DSM_LAYOUT(DSM_REPEAT_REQUEST, DeviceModel, 4);
DSM_LAYOUT(DSM_REPEAT_REQUEST, RepeatError, 12);
DSM_LAYOUT(DSM_REPEAT_REQUEST, RepeatInterval, 16);

#undef DSM_LAYOUT

// ---- Enumerations ----------------------------------------------------------
enum : uint32_t { DSM_ADAPTER_NORMAL = 0, DSM_ADAPTER_DEGRADED = 1, DSM_ADAPTER_FAILED = 2 };
enum : uint32_t { DSM_MODE_NORMAL = 0, DSM_MODE_OFFLINE = 1 };
enum : uint32_t { DSM_PATH_CLOSE = 0, DSM_PATH_OPEN = 1, DSM_PATH_DEAD = 2 };
enum : uint8_t { DSM_BUS_FC = 6, DSM_BUS_ISCSI = 9, DSM_BUS_SAS = 10 };
enum : uint8_t { DSM_IF_FC = 0, DSM_IF_ISCSI = 5, DSM_IF_SAS = 6 };
enum : uint32_t {
    DSM_POLICY_DEFAULT = 0,
    DSM_POLICY_ROUND_ROBIN = 1,
    DSM_POLICY_FAILOVER = 2,
    DSM_POLICY_LEAST_IO_WEIGHT = 3,
    DSM_POLICY_SINGLE_PATH = 4,
    DSM_POLICY_RESERVE = 5,
    DSM_POLICY_SHORTEST_QUEUE_TIME = 6,
    DSM_POLICY_LEAST_QUEUE_DEPTH = 7,
    DSM_POLICY_LEAST_BYTES = 8,
    DSM_POLICY_ROUND_ROBIN_SUBSET = 9,
};
enum : uint32_t { DSM_SCOPE_NONE = 0, DSM_SCOPE_ALL_NODES = 1, DSM_SCOPE_OPT_NODES = 2 };
enum : uint32_t { DSM_ACTION_ONLINE = 1, DSM_ACTION_OFFLINE = 2, DSM_ACTION_PATHCOUNTREF = 3 };
constexpr uint32_t DSM_REQUEST_MARKER = 102;
enum : uint32_t { DSM_CLEAR_ERRORS = 1, DSM_CLEAR_ALL = 2 };
constexpr uint32_t DSM_TRACE_DEFAULT = 0x00000000;
constexpr uint32_t DSM_TRACE_IO = 0x00200000;
constexpr uint32_t DSM_TRACE_IOCTL = 0x02000000;
constexpr uint32_t DSM_TRACE_CONFIG = 0x00040000;
constexpr uint32_t DSM_TRACE_ALL = DSM_TRACE_IO | DSM_TRACE_IOCTL | DSM_TRACE_CONFIG;
static_assert(DSM_TRACE_ALL == 0x02240000);
constexpr uint32_t DSM_REPEAT_UNCHANGED = 99999;
