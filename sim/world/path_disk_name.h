#pragma once
#include <stddef.h>

// The disk name a driver reports for a path that sees the device's own disk:
// "Disk<n> Part<m>" from the first two digit runs of the NT device name (such as
// \Device\Harddisk3\DR3), read from at most `size` bytes of `device_name`. Writes
// a terminated text into the caller's `out`, cut to `out_size`.
void own_disk_name(const char* device_name, size_t size, char* out, size_t out_size);
