// The safe file replacement of the Linux build: temporary file, fsync, rename.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "platform.h"

bool platform_replace_file(const char* path, const void* data, size_t size) {
    char temp[4200];
    int n = snprintf(temp, sizeof temp, "%s.%ld.tmp", path, long(getpid()));
    if (n < 0 || size_t(n) >= sizeof temp) return false;
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        ssize_t written = write(fd, p, size);
        ok = written > 0;
        if (ok) {
            p += written;
            size -= size_t(written);
        }
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp, path) == 0;
    if (!ok) unlink(temp);
    return ok;
}
