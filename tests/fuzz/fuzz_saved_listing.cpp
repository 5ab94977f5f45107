// Fuzzes query diff's reader and comparison with any saved file. The input is
// split at the first form feed into a saved and a live document. Whatever reads
// must compare with itself without a difference, and every difference line must
// be one bounded, printable line.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "saved_listing.h"
#include "topology_diff.h"

namespace {

void check_lines(const Topology& a, const Topology& b, const std::vector<Difference>& diffs) {
    char line[512];
    for (const Difference& d : diffs) {
        memset(line, 'x', sizeof line);
        format_difference(a, b, d, line, sizeof line);
        size_t n = strnlen(line, sizeof line);
        if (n == sizeof line) __builtin_trap();
        for (size_t i = 0; i < n; i++)
            if (static_cast<unsigned char>(line[i]) < 0x20) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const void* split = memchr(text, '\f', size);
    size_t first = split != nullptr ? size_t(static_cast<const char*>(split) - text) : size;

    Topology saved;
    char error[256];
    memset(error, 'x', sizeof error);
    if (!read_saved_listing(text, first, &saved, error, sizeof error)) {
        if (strnlen(error, sizeof error) == sizeof error) __builtin_trap();
        return 0;
    }
    std::vector<Difference> diffs;
    compare_topologies(saved, saved, &diffs);
    if (!diffs.empty()) __builtin_trap();

    if (split == nullptr) return 0;
    Topology live;
    if (!read_saved_listing(text + first + 1, size - first - 1, &live, error, sizeof error)) return 0;
    compare_topologies(saved, live, &diffs);
    check_lines(saved, live, diffs);
    return 0;
}
