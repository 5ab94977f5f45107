// The world file and its lock, on POSIX file systems.
#include "world_file.h"

#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim_model.h"
#include "world_json.h"

namespace {

// Longest name added to the root ("/world.json.tmp"), with room to spare.
constexpr size_t kNameRoom = 32;

char g_root[sizeof(WorldFile::path) - kNameRoom];

// Creates `dir` and its missing parents. False (errno set) when one cannot be made.
bool make_dirs(const char* dir) {
    char path[sizeof g_root];
    size_t n = strlen(dir);
    if (n == 0 || n >= sizeof path) {
        errno = ENAMETOOLONG;
        return false;
    }
    memcpy(path, dir, n + 1);
    for (size_t i = 1; i <= n; i++) {
        if (path[i] != '/' && path[i] != '\0') continue;
        char saved = path[i];
        path[i] = '\0';
        if (mkdir(path, 0777) != 0 && errno != EEXIST) return false;
        path[i] = saved;
    }
    struct stat st;
    if (stat(dir, &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

// Writes all of `data` to `fd`; false (errno set) on a failed or stalled write.
bool write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The whole file as a NUL-terminated text (malloc'ed; the caller frees it).
// nullptr with errno set on failure; *size is the byte count read.
char* read_all(int fd, size_t* size) {
    struct stat st;
    if (fstat(fd, &st) != 0) return nullptr;
    size_t capacity = size_t(st.st_size) + 1;
    char* text = static_cast<char*>(malloc(capacity));
    if (text == nullptr) return nullptr;
    size_t used = 0;
    for (;;) {
        if (used + 1 == capacity) {
            // The file grew after fstat (it should not: it is replaced, not written in place).
            char* bigger = static_cast<char*>(realloc(text, capacity * 2));
            if (bigger == nullptr) {
                free(text);
                return nullptr;
            }
            text = bigger;
            capacity *= 2;
        }
        ssize_t n = read(fd, text + used, capacity - 1 - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int saved = errno;
            free(text);
            errno = saved;
            return nullptr;
        }
        if (n == 0) break;
        used += size_t(n);
    }
    text[used] = '\0';
    *size = used;
    return text;
}

// The directory part of `path` into `dir` (bounded).
void dir_of(const char* path, char* dir, size_t size) {
    snprintf(dir, size, "%s", path);
    char* slash = strrchr(dir, '/');
    if (slash == dir) slash[1] = '\0';
    else if (slash != nullptr) *slash = '\0';
    else snprintf(dir, size, ".");
}

}  // namespace

const char* sim_root_dir() {
    const char* root = getenv("RAVLIN_SIM_ROOT");
    int n;
    if (root != nullptr && root[0] != '\0') {
        n = snprintf(g_root, sizeof g_root, "%s", root);
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const struct passwd* user = getpwuid(getuid());
            home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/tmp";
        }
        n = snprintf(g_root, sizeof g_root, "%s/.ravlin-sim", home);
    }
    if (n < 0 || size_t(n) >= sizeof g_root) return nullptr;
    return g_root;
}

bool world_file_lock(WorldFile* file, char* error, size_t error_size) {
    file->lock_fd = -1;
    file->path[0] = '\0';
    const char* root = sim_root_dir();
    if (root == nullptr) {
        snprintf(error, error_size, "simulator root directory: name too long");
        return false;
    }
    if (!make_dirs(root)) {
        snprintf(error, error_size, "%s: cannot create the simulator root: %s", root, strerror(errno));
        return false;
    }
    char lock_path[sizeof file->path];
    snprintf(lock_path, sizeof lock_path, "%s/world.lock", root);
    int fd = open(lock_path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        snprintf(error, error_size, "%s: %s", lock_path, strerror(errno));
        return false;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        snprintf(error, error_size, "%s: cannot lock: %s", lock_path, strerror(errno));
        close(fd);
        return false;
    }
    file->lock_fd = fd;
    snprintf(file->path, sizeof file->path, "%s/world.json", root);
    return true;
}

bool world_file_load(const WorldFile* file, SimWorld* world, char* error, size_t error_size) {
    int fd = open(file->path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            sim_world_clear(world);
            return true;
        }
        snprintf(error, error_size, "%s: %s", file->path, strerror(errno));
        sim_world_clear(world);
        return false;
    }
    size_t size = 0;
    char* text = read_all(fd, &size);
    int saved = errno;
    close(fd);
    if (text == nullptr) {
        snprintf(error, error_size, "%s: %s", file->path, strerror(saved));
        sim_world_clear(world);
        return false;
    }
    // A NUL inside would hide whatever follows it from the parser.
    if (memchr(text, '\0', size) != nullptr) {
        free(text);
        snprintf(error, error_size, "%s: damaged world file: holds a NUL byte", file->path);
        sim_world_clear(world);
        return false;
    }
    char message[256];
    bool ok = world_from_json(text, world, message, sizeof message);
    free(text);
    // The parse left thousands of small blocks free; the allocator tidies them up at
    // the program's next large request, which would charge the simulator's load to
    // ravlin's own work (and to its instruction figures). Tidy them here instead.
    malloc_trim(0);
    if (!ok) snprintf(error, error_size, "%s: damaged world file: %s", file->path, message);
    return ok;
}

bool world_file_lock_and_load(WorldFile* file, SimWorld* world, char* error, size_t error_size) {
    if (!world_file_lock(file, error, error_size)) return false;
    if (world_file_load(file, world, error, error_size)) return true;
    world_file_unlock(file);
    return false;
}

namespace {

// Replaces `path` with `size` bytes of `data`: a temporary file beside it, fsync,
// rename, and the folder synced so the rename itself survives a crash.
bool replace_atomically(const char* path, const char* data, size_t size, char* error, size_t error_size) {
    char tmp[sizeof WorldFile::path + 8];
    snprintf(tmp, sizeof tmp, "%s.tmp", path);
    int fd = open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        snprintf(error, error_size, "%s: %s", tmp, strerror(errno));
        return false;
    }
    bool ok = write_all(fd, data, size) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(tmp, path) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        snprintf(error, error_size, "%s: %s", tmp, strerror(saved));
        unlink(tmp);
        return false;
    }
    char dir[sizeof WorldFile::path];
    dir_of(path, dir, sizeof dir);
    int dir_fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd >= 0) {
        fsync(dir_fd);
        close(dir_fd);
    }
    return true;
}

// <root>/hba.snapshot for the world file at `world_path`.
void hba_snapshot_path(const char* world_path, char* path, size_t size) {
    char dir[sizeof WorldFile::path];
    dir_of(world_path, dir, sizeof dir);
    snprintf(path, size, "%s/hba.snapshot", dir);
}

SimHbaSnapshot g_snapshot;  // written beside every saved world

}  // namespace

bool world_file_save(const WorldFile* file, const SimWorld* world, char* error, size_t error_size) {
    if (file->lock_fd < 0) {
        snprintf(error, error_size, "world file: saved without holding its lock");
        return false;
    }
    char* text = world_to_json(world);
    if (text == nullptr) {
        snprintf(error, error_size, "world file: out of memory");
        return false;
    }
    bool ok = replace_atomically(file->path, text, strlen(text), error, error_size);
    free(text);
    if (!ok) return false;
    sim_hba_snapshot(world, &g_snapshot);
    char path[sizeof file->path + 16];
    hba_snapshot_path(file->path, path, sizeof path);
    return replace_atomically(path, reinterpret_cast<const char*>(&g_snapshot), sizeof g_snapshot, error,
                              error_size);
}

bool world_file_load_hba(SimHbaSnapshot* snapshot) {
    const char* root = sim_root_dir();
    if (root == nullptr) return false;
    char path[sizeof WorldFile::path + 16];
    snprintf(path, sizeof path, "%s/hba.snapshot", root);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t n = read(fd, snapshot, sizeof *snapshot);
    close(fd);
    return n == ssize_t(sizeof *snapshot);
}

bool world_file_hba_journal_path(char* path, size_t size) {
    const char* root = sim_root_dir();
    if (root == nullptr) return false;
    int n = snprintf(path, size, "%s/hba.journal", root);
    return n >= 0 && size_t(n) < size;
}

void world_file_unlock(WorldFile* file) {
    if (file->lock_fd < 0) return;
    flock(file->lock_fd, LOCK_UN);
    close(file->lock_fd);
    file->lock_fd = -1;
}
