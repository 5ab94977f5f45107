// Running a command line, temporary files and the program's own folder on Linux.
#include <errno.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform.h"

extern char** environ;

namespace {

// The wait status of `interpreter -c command_line`, or -1 when the interpreter
// cannot be started at all.
int run_with(const char* interpreter, const char* command_line) {
    char* argv[] = {const_cast<char*>(interpreter), const_cast<char*>("-c"), const_cast<char*>(command_line),
                    nullptr};
    pid_t pid;
    if (posix_spawn(&pid, interpreter, nullptr, nullptr, argv, environ) != 0) return -1;
    int status;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

}  // namespace

int32_t platform_run_command(const char* command_line) {
    // COMSPEC names the interpreter here as it does for the Windows runtime's
    // system(), so a run can meet an interpreter that does not start (-1 there too).
    const char* interpreter = getenv("COMSPEC");
    int status = interpreter != nullptr && interpreter[0] != '\0' ? run_with(interpreter, command_line)
                                                                   : system(command_line);
    if (status == -1) return -1;
    // The shell's own exit status, as the Windows runtime's system() gives it
    // (a command the shell cannot find is its status 127, not a failure to start).
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

bool platform_make_temp_file(char* path, size_t size) {
    const char* dir = getenv("TMPDIR");
    if (dir == nullptr || dir[0] == '\0') dir = "/tmp";
    int n = snprintf(path, size, "%s/ravlin-ports-XXXXXX", dir);
    if (n < 0 || size_t(n) >= size) return false;
    int fd = mkstemp(path);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool platform_remove_file(const char* path) { return unlink(path) == 0; }

bool platform_program_dir(char* dir, size_t size) {
    if (size < 2) return false;
    ssize_t n = readlink("/proc/self/exe", dir, size - 1);
    if (n <= 0 || size_t(n) >= size - 1) return false;
    dir[n] = '\0';
    char* slash = strrchr(dir, '/');
    if (slash == nullptr) return false;
    slash[1] = '\0';
    return true;
}

const char* platform_hba_tool_name() { return "fenmar"; }

const char* platform_hba_tool_plain_command() {
    // The shell does not look in the current folder; the Windows interpreter
    // does, before the search path, and this build keeps that order.
    return access("./fenmar", X_OK) == 0 ? "./fenmar" : "fenmar";
}

bool platform_quote_command_word(const char* text, char* out, size_t size) {
    // Single quotes keep every character as it is; a quote itself is closed,
    // escaped and reopened.
    size_t n = 0;
    auto put = [&](char c) {
        if (n + 1 >= size) return false;
        out[n++] = c;
        return true;
    };
    if (!put('\'')) return false;
    for (const char* p = text; *p != '\0'; p++) {
        if (*p == '\'') {
            if (!put('\'') || !put('\\') || !put('\'') || !put('\'')) return false;
        } else if (!put(*p)) {
            return false;
        }
    }
    if (!put('\'')) return false;
    out[n] = '\0';
    return true;
}
