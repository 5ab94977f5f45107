// The volume-name cache file: the last vdisk name read in band for every device,
// keyed by the device's serial text, so a device without a usable path can still be
// named. Diagnostics go to the activity log only.
#pragma once

#include <cJSON.h>

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

// Whether the cache file is there, as saving device by device would have left it:
// inside a pass a file that the pass has yet to write counts as there.
bool vdisk_cache_file_exists();

// Looks `wwid` up in the parsed cache document: *found when an entry has it; when
// that entry's name differs from `name_item`'s text (never empty), logs the change, moves
// name_item into the entry (the document owns it then) and sets *changed and
// *index. An entry that is not an object ends the search (logged).
void find_vdisk_entry(cJSON* document, const char* wwid, cJSON* name_item, int* found, int* changed, int* index);

// The name the cache file holds for `wwid`, looked up without a log line (a
// collector that runs every minute must not fill the activity log) and, inside a
// pass, with the file read once. Copies at most 127 characters and the NUL into
// the caller's 128-byte field; false (field untouched) when the file has none.
bool vdisk_cache_lookup(const char* wwid, char* vdisk_name);
