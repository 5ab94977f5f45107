// The volume-name cache file: the last vdisk name read in band for every device,
// keyed by the device's serial text, so a device without a usable path can still be
// named. Diagnostics go to the activity log only.
#pragma once

// Makes the cache hold `vdisk_name` for `wwid`.
void save_vdisk_name(const char* wwid, const char* vdisk_name);

// When the cache has an entry for `wwid`, sets *found to 1 and copies its name (at
// most 127 characters and the NUL) into the caller's 128-byte field; otherwise leaves
// both as they were (the caller clears them first).
void load_vdisk_name(const char* wwid, char* vdisk_name, int* found);

// A listing pass over many devices: between begin and end the file is parsed at most
// once and written at most once (at the end), while the log lines and the file left
// at the end are exactly what saving device by device gives.
void vdisk_cache_begin_pass();
void vdisk_cache_end_pass();
