/* Which NTSTATUS the driver completes a request with so that the caller's
 * GetLastError() reads the Windows error code the simulator answered. */
#pragma once

#include <ntdef.h>
#include <stdint.h>

NTSTATUS status_from_windows_error(uint32_t error);
