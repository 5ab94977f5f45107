// Parts that other commands call and that this build does not have yet. Each does
// nothing and fails where it can, so a caller behaves as it would on a failed read.
// An entry goes when its part is built.
#include "disk_identity.h"
#include "host_ports.h"
#include "mpio_restart.h"
#include "vdisk_cache.h"

void restart_mpio_disks(int) {}
int32_t read_host_ports(const char*, uint8_t*, char (*)[kHostPortTextSize], int32_t*) { return -1; }
int32_t get_disk_00_page(const char*, char (*)[3], int32_t*) { return -1; }
int32_t get_disk_d0_page(const char*, char*) { return -1; }
void save_vdisk_name(const char*, const char*) {}
void load_vdisk_name(const char*, char*, int*) {}
void vdisk_cache_begin_pass() {}
void vdisk_cache_end_pass() {}
