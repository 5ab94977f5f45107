// Running a command line, temporary files and the program's own folder on Windows.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"

int32_t platform_run_command(const char* command_line) {
    // cmd.exe /c drops the first and the last quote of a line that starts with
    // one, which would break a quoted program path followed by a quoted file:
    // one outer pair of quotes is what it drops instead.
    char wrapped[4096];
    int n = snprintf(wrapped, sizeof wrapped, "\"%s\"", command_line);
    if (n < 0 || size_t(n) >= sizeof wrapped) return -1;
    return system(wrapped);
}

bool platform_make_temp_file(char* path, size_t size) {
    char dir[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > MAX_PATH) return false;
    if (GetTempFileNameA(dir, "wwp", 0, name) == 0) return false;  // creates the file
    if (strlen(name) >= size) {
        DeleteFileA(name);
        return false;
    }
    memcpy(path, name, strlen(name) + 1);
    return true;
}

bool platform_remove_file(const char* path) { return DeleteFileA(path) != 0; }

bool platform_program_dir(char* dir, size_t size) {
    if (size < 2 || size > 0x7FFFFFFF) return false;
    DWORD n = GetModuleFileNameA(nullptr, dir, DWORD(size));
    if (n == 0 || n >= size) return false;
    char* slash = strrchr(dir, '\\');
    if (slash == nullptr) return false;
    slash[1] = '\0';
    return true;
}

const char* platform_hba_tool_name() { return "Fenmar.exe"; }

const char* platform_hba_tool_plain_command() { return "Fenmar.exe"; }

bool platform_quote_command_word(const char* text, char* out, size_t size) {
    // A Windows path holds no quote, so one pair around it is enough.
    if (strchr(text, '"') != nullptr) return false;
    int n = snprintf(out, size, "\"%s\"", text);
    return n >= 0 && size_t(n) < size;
}
