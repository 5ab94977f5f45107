// Reads the host port table as the device display does, read_host_ports with
// "Fenmar.exe WWPNHP", and prints it for run_wine_checks.py: one line per entry
// ("%02X %s": port id and WWPN), then "status N" (the interpreter's status) and
// "left N" (temporary files the call left behind in the temporary folder).
#include <windows.h>

#include <stdio.h>

#include "host_ports.h"

namespace {

// The number of files the temporary folder holds that read_host_ports could have made.
int temporary_files() {
    char dir[MAX_PATH + 1];
    char pattern[MAX_PATH + 16];
    if (GetTempPathA(sizeof dir, dir) == 0) return -1;
    snprintf(pattern, sizeof pattern, "%swwp*.tmp", dir);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n++;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return n;
}

uint8_t g_ids[kHostPortMax];
char g_wwpns[kHostPortMax][kHostPortTextSize];

}  // namespace

int main() {
    int before = temporary_files();
    int32_t count = 0;
    int32_t status = read_host_ports("Fenmar.exe WWPNHP", g_ids, g_wwpns, &count);
    for (int32_t i = 0; i < count; i++) printf("%02X %s\n", unsigned(g_ids[i]), g_wwpns[i]);
    printf("status %d\nleft %d\n", int(status), temporary_files() - before);
    return 0;
}
