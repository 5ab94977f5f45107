// dsmsim: command-line control of the driver simulator. Loads scenarios, shows
// the world and the request journal, injects faults, stops and starts the
// simulated driver. Portable: the world is reached through world_store.h.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim_model.h"
#include "world_json.h"
#include "world_store.h"

namespace {

const char kUsage[] =
    "usage: dsmsim load FILE            replace the world with a scenario\n"
    "       dsmsim clear                no driver, empty world\n"
    "       dsmsim show                 the world as JSON\n"
    "       dsmsim journal [--json]     the requests the driver received, oldest first\n"
    "       dsmsim journal --clear      forget them (and the test libraries' calls)\n"
    "       dsmsim journal --hba        the calls the test HBA library received, oldest first\n"
    "       dsmsim journal --tree       the calls the test device tree received (Windows build)\n"
    "       dsmsim fault add REQUEST [--slot N] [--error E] [--reply-bytes N]\n"
    "                        [--status S] [--times N] [--after N] [--count N] [--page P]\n"
    "       dsmsim fault clear\n"
    "       dsmsim driver stop|start\n"
    "REQUEST is an IOCTL_DSM_... name, open, close or a code such as 0x84C9C008;\n"
    "for a disk: disk_open, disk_close, IOCTL_SCSI_GET_ADDRESS or IOCTL_SCSI_PASS_THROUGH,\n"
    "with --slot the disk number and --page the INQUIRY page code (0x00, 0xd0).\n";

// The world a command works on; far too large for the stack.
SimWorld g_world;

constexpr int kOk = 0;
constexpr int kFailed = 1;

// Reports a failure on stderr; returns kFailed.
int failure(const char* message) {
    fputs("dsmsim: ", stderr);
    fputs(message, stderr);
    fputs("\n", stderr);
    return kFailed;
}

// Reports a bad command line and shows the usage; returns kFailed.
int bad_usage(const char* message, const char* word) {
    fputs("dsmsim: ", stderr);
    fputs(message, stderr);
    if (word != nullptr) {
        fputs(" \"", stderr);
        fputs(word, stderr);
        fputs("\"", stderr);
    }
    fputs("\n", stderr);
    fputs(kUsage, stderr);
    return kFailed;
}

// Writes `text` (malloc'ed, freed here) to stdout; kFailed when it is null or
// stdout cannot take it.
int print_and_free(char* text) {
    if (text == nullptr) return failure("out of memory");
    fputs(text, stdout);
    free(text);
    if (fflush(stdout) != 0 || ferror(stdout)) return failure("cannot write to standard output");
    return kOk;
}

// Reads the current world, lets `change` alter it, writes it back: one locked step.
int change_world(void (*change)(SimWorld* world, const void* arg), const void* arg) {
    char error[512];
    bool ok = store_read_world(&g_world, error, sizeof error);
    if (ok) {
        change(&g_world, arg);
        ok = store_write_world(&g_world, error, sizeof error);
    }
    store_close();
    return ok ? kOk : failure(error);
}

int replace_world() {
    char error[512];
    // A new world starts a fresh run for the test libraries too.
    bool ok = store_open(error, sizeof error) && store_write_world(&g_world, error, sizeof error) &&
              store_clear_hba_journal(error, sizeof error) && store_clear_tree_journal(error, sizeof error);
    store_close();
    return ok ? kOk : failure(error);
}

// The whole file as a NUL-terminated text (malloc'ed; the caller frees it), or
// nullptr with a message in `error`.
char* read_file(const char* path, char* error, size_t size) {
    FILE* f = fopen(path, "rb");
    if (f == nullptr) {
        snprintf(error, size, "%s: cannot open", path);
        return nullptr;
    }
    size_t capacity = 65536;
    size_t used = 0;
    char* text = static_cast<char*>(malloc(capacity));
    while (text != nullptr) {
        if (used + 1 == capacity) {
            char* bigger = static_cast<char*>(realloc(text, capacity * 2));
            if (bigger == nullptr) {
                free(text);
                text = nullptr;
                break;
            }
            text = bigger;
            capacity *= 2;
        }
        size_t n = fread(text + used, 1, capacity - 1 - used, f);
        used += n;
        if (n == 0) break;
    }
    bool bad = text == nullptr || ferror(f);
    fclose(f);
    if (bad) {
        free(text);
        snprintf(error, size, "%s: cannot read", path);
        return nullptr;
    }
    text[used] = '\0';
    if (memchr(text, '\0', used) != nullptr) {
        free(text);
        snprintf(error, size, "%s: not a text file (holds a NUL byte)", path);
        return nullptr;
    }
    return text;
}

// A whole number in [min, max], decimal or "0x" hexadecimal.
bool parse_number(const char* word, int64_t min, int64_t max, int64_t* value) {
    const char* p = word;
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (*p == '\0') return false;
    int64_t v = 0;
    for (; *p != '\0'; p++) {
        int d;
        if (*p >= '0' && *p <= '9') d = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > max) return false;
    }
    if (v < min) return false;
    *value = v;
    return true;
}

// ---- commands -------------------------------------------------------------

int run_load(int argc, char** argv) {
    if (argc != 3) return bad_usage("load takes one file", nullptr);
    char error[512];
    char* text = read_file(argv[2], error, sizeof error);
    if (text == nullptr) return failure(error);
    char message[400];
    bool ok = world_from_json(text, &g_world, message, sizeof message);
    free(text);
    if (!ok) {
        snprintf(error, sizeof error, "%s: %s", argv[2], message);
        return failure(error);
    }
    // A scenario starts a fresh run: what an earlier world received is not its history.
    memset(&g_world.journal, 0, sizeof g_world.journal);
    return replace_world();
}

int run_clear(int argc, char**) {
    if (argc != 2) return bad_usage("clear takes no arguments", nullptr);
    sim_world_clear(&g_world);
    return replace_world();
}

int run_show(int argc, char**) {
    if (argc != 2) return bad_usage("show takes no arguments", nullptr);
    char error[512];
    bool ok = store_read_world(&g_world, error, sizeof error);
    store_close();
    if (!ok) return failure(error);
    return print_and_free(world_to_json(&g_world));
}

void clear_journal(SimWorld* world, const void*) { memset(&world->journal, 0, sizeof world->journal); }

int run_journal(int argc, char** argv) {
    if (argc > 3) return bad_usage("journal takes one option at most", nullptr);
    const char* option = argc == 3 ? argv[2] : "";
    if (strcmp(option, "--clear") == 0) {
        char error[512];
        bool ok = store_clear_hba_journal(error, sizeof error) && store_clear_tree_journal(error, sizeof error);
        store_close();
        return ok ? change_world(clear_journal, nullptr) : failure(error);
    }
    if (strcmp(option, "--hba") == 0 || strcmp(option, "--tree") == 0) {
        char error[512];
        char* text = option[2] == 'h' ? store_read_hba_journal(error, sizeof error)
                                      : store_read_tree_journal(error, sizeof error);
        store_close();
        return text != nullptr ? print_and_free(text) : failure(error);
    }
    bool json = strcmp(option, "--json") == 0;
    if (!json && option[0] != '\0') return bad_usage("unknown journal option", option);
    char error[512];
    bool ok = store_read_world(&g_world, error, sizeof error);
    store_close();
    if (!ok) return failure(error);
    return print_and_free(json ? journal_to_json(&g_world) : journal_to_text(&g_world));
}

void add_fault(SimWorld* world, const void* arg) {
    world->faults[world->fault_count++] = *static_cast<const SimFault*>(arg);
}

struct FaultOption {
    const char* word;
    int64_t min;
    int64_t max;
    size_t offset;  // of the int32_t or uint32_t field in SimFault
};

const FaultOption kFaultOptions[] = {
    {"--slot", 0, INT32_MAX, offsetof(SimFault, slot)},
    {"--error", 0, UINT32_MAX, offsetof(SimFault, error)},
    {"--reply-bytes", 0, INT32_MAX, offsetof(SimFault, reply_bytes)},
    {"--status", 0, INT32_MAX, offsetof(SimFault, status)},
    {"--times", 0, INT32_MAX, offsetof(SimFault, remaining)},
    {"--after", 0, INT32_MAX, offsetof(SimFault, after)},
    {"--count", 0, INT32_MAX, offsetof(SimFault, count)},
    {"--page", 0, 255, offsetof(SimFault, page)},
};

int run_fault_add(int argc, char** argv) {
    if (argc < 4) return bad_usage("fault add needs a request", nullptr);
    SimFault fault = {};
    fault.slot = -1;
    fault.reply_bytes = -1;
    fault.status = -1;
    if (!world_request_code(argv[3], &fault.code)) return bad_usage("unknown request", argv[3]);
    for (int i = 4; i < argc; i += 2) {
        const FaultOption* option = nullptr;
        for (const FaultOption& o : kFaultOptions)
            if (strcmp(o.word, argv[i]) == 0) option = &o;
        if (option == nullptr) return bad_usage("unknown fault option", argv[i]);
        if (i + 1 >= argc) return bad_usage("missing value after", argv[i]);
        int64_t value;
        if (!parse_number(argv[i + 1], option->min, option->max, &value))
            return bad_usage("bad number", argv[i + 1]);
        // Every field the options set is 32 bits wide; the range check above fits the field.
        uint32_t bits = uint32_t(value);
        memcpy(reinterpret_cast<char*>(&fault) + option->offset, &bits, sizeof bits);
        if (option->offset == offsetof(SimFault, count)) fault.count_given = 1;
        if (option->offset == offsetof(SimFault, page)) fault.page_given = 1;
    }
    char error[512];
    bool ok = store_read_world(&g_world, error, sizeof error);
    if (ok && g_world.fault_count >= SIM_MAX_FAULTS) {
        snprintf(error, sizeof error, "the fault table is full (%d faults)", SIM_MAX_FAULTS);
        ok = false;
    }
    if (ok) {
        if (g_world.fault_count < 0) g_world.fault_count = 0;
        add_fault(&g_world, &fault);
        ok = store_write_world(&g_world, error, sizeof error);
    }
    store_close();
    return ok ? kOk : failure(error);
}

void clear_faults(SimWorld* world, const void*) {
    memset(world->faults, 0, sizeof world->faults);
    world->fault_count = 0;
}

int run_fault(int argc, char** argv) {
    const char* action = argc >= 3 ? argv[2] : "";
    if (strcmp(action, "add") == 0) return run_fault_add(argc, argv);
    if (strcmp(action, "clear") == 0) {
        if (argc != 3) return bad_usage("fault clear takes no arguments", nullptr);
        return change_world(clear_faults, nullptr);
    }
    return bad_usage("fault needs add or clear", argc >= 3 ? argv[2] : nullptr);
}

void set_driver(SimWorld* world, const void* arg) { world->driver_loaded = *static_cast<const uint32_t*>(arg); }

int run_driver(int argc, char** argv) {
    const char* action = argc == 3 ? argv[2] : "";
    static const uint32_t kLoaded = 1;
    static const uint32_t kStopped = 0;
    if (strcmp(action, "start") == 0) return change_world(set_driver, &kLoaded);
    if (strcmp(action, "stop") == 0) return change_world(set_driver, &kStopped);
    return bad_usage("driver needs stop or start", argc >= 3 ? argv[2] : nullptr);
}

int run_help(int, char**) {
    fputs(kUsage, stdout);
    return kOk;
}

struct Command {
    const char* word;
    int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"load", run_load},       {"clear", run_clear}, {"show", run_show},   {"journal", run_journal},
    {"fault", run_fault},     {"driver", run_driver}, {"help", run_help}, {"--help", run_help},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bad_usage("no command", nullptr);
    for (const Command& c : kCommands)
        if (strcmp(c.word, argv[1]) == 0) return c.run(argc, argv);
    return bad_usage("unknown command", argv[1]);
}
