/* Windows error code -> NTSTATUS, chosen so that the system's translation back
 * (RtlNtStatusToDosError, which the I/O calls apply) gives the same code. */
#include "status_map.h"

struct status_pair {
    uint32_t error;
    NTSTATUS status;
};

static const struct status_pair status_pairs[] = {
    {1, (NTSTATUS)0xC0000010},    /* STATUS_INVALID_DEVICE_REQUEST */
    {2, (NTSTATUS)0xC0000034},    /* STATUS_OBJECT_NAME_NOT_FOUND: also what a failed open needs */
    {3, (NTSTATUS)0xC000003A},    /* STATUS_OBJECT_PATH_NOT_FOUND */
    {5, (NTSTATUS)0xC0000022},    /* STATUS_ACCESS_DENIED */
    {6, (NTSTATUS)0xC0000008},    /* STATUS_INVALID_HANDLE */
    {8, (NTSTATUS)0xC0000017},    /* STATUS_NO_MEMORY */
    {21, (NTSTATUS)0xC00000A3},   /* STATUS_DEVICE_NOT_READY */
    {24, (NTSTATUS)0xC0000004},   /* STATUS_INFO_LENGTH_MISMATCH */
    {31, (NTSTATUS)0xC0000001},   /* STATUS_UNSUCCESSFUL */
    {50, (NTSTATUS)0xC00000BB},   /* STATUS_NOT_SUPPORTED */
    {87, (NTSTATUS)0xC000000D},   /* STATUS_INVALID_PARAMETER */
    {122, (NTSTATUS)0xC0000023},  /* STATUS_BUFFER_TOO_SMALL */
    {234, (NTSTATUS)0x80000005},  /* STATUS_BUFFER_OVERFLOW: a warning, so the reply still comes back */
    {1117, (NTSTATUS)0xC0000185}, /* STATUS_IO_DEVICE_ERROR */
    {1167, (NTSTATUS)0xC000009D}, /* STATUS_DEVICE_NOT_CONNECTED */
    {1617, (NTSTATUS)0xC00002B6}, /* STATUS_DEVICE_REMOVED */
};

NTSTATUS status_from_windows_error(uint32_t error) {
    if (error == 0) return (NTSTATUS)0;
    for (unsigned i = 0; i < sizeof status_pairs / sizeof status_pairs[0]; i++)
        if (status_pairs[i].error == error) return status_pairs[i].status;
    /* A failure code with the customer bit (0xA.../0xE...) is not translated at
     * all: the caller reads the code itself, top bit and all. */
    if ((error & 0xA0000000u) == 0xA0000000u) return (NTSTATUS)error;
    /* Any other code travels as an error of the Win32 facility, which the
     * translation unwraps to its low 16 bits. */
    return (NTSTATUS)(0xC0070000u | (error & 0xFFFFu));
}
