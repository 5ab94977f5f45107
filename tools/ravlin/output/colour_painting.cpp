#include "colour_painting.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "console_cells.h"
#include "output_policy.h"
#include "platform.h"

namespace {

constexpr size_t kMaxRuns = 1024;

char g_text[kOutputBufferSize];
size_t g_length;
ColourRun g_runs[kMaxRuns];
size_t g_run_count;
uint16_t g_colour;  // of what is written next
uint16_t g_console;  // the console's own attributes, what it writes text in
bool g_tried;
bool g_painting;
// Where the last painted flush left the cursor, by the walk (checked with the console
// unless the flush before it was confirmed).
PlatformConsoleInfo g_expected;
bool g_expected_valid;

// The cells of the screen rows a write reached, as read back after it.
struct Region {
    uint16_t* cells;
    int32_t width;
    int32_t first_row;  // on screen
    int32_t rows;
    int32_t scrolled;   // by the whole write: virtual row - scrolled = screen row
};

void paint_cell(void* context, int32_t x, int32_t row, uint16_t attributes) {
    Region* r = static_cast<Region*>(context);
    int32_t on_screen = row - r->scrolled - r->first_row;
    if (on_screen < 0 || on_screen >= r->rows) return;  // scrolled off the buffer
    uint16_t* line = r->cells + size_t(on_screen) * size_t(r->width);
    if (x < 0) {
        for (int32_t i = 0; i < r->width; i++) line[i] = attributes;
    } else {
        line[x] = attributes;
    }
}

bool write_raw(const char* text, size_t length) {
    bool written = fwrite(text, 1, length, stdout) == length;
    return fflush(stdout) == 0 && written;
}

// Without cells to paint: a write and an attribute change per part, as it always was.
void write_by_parts() {
    for (size_t i = 0; i < g_run_count; i++) {
        size_t end = i + 1 < g_run_count ? g_runs[i + 1].offset : g_length;
        if (g_runs[i].attributes != g_console && platform_console_set_attributes(g_runs[i].attributes))
            g_console = g_runs[i].attributes;
        write_raw(g_text + g_runs[i].offset, end - g_runs[i].offset);
    }
}

// Where the console's cursor is: the same size and place.
bool same_place(const PlatformConsoleInfo& a, const PlatformConsoleInfo& b) {
    return a.width == b.width && a.height == b.height && a.cursor_x == b.cursor_x && a.cursor_y == b.cursor_y;
}

// Gives the cells the text just filled their colours; false when the console did
// not move its cursor as the walk says (nothing painted then). `after` is where the
// console says the write left the cursor.
bool paint_cells(const PlatformConsoleInfo& before, const PlatformConsoleInfo& after, const CellWalk& walk) {
    if (after.width != before.width || after.height != before.height || after.cursor_x != walk.x ||
        after.cursor_y != walk.row - walk.scrolled)
        return false;
    CellWalk start = {before.width, before.height, before.cursor_x, before.cursor_y, 0, 0};
    CellRegion region = written_region(start, walk, g_text, g_length);
    if (region.rows == 0) return true;
    Region r;
    r.width = after.width;
    r.scrolled = walk.scrolled;
    r.first_row = region.first_row;
    r.rows = region.rows;
    uint32_t count = uint32_t(r.rows) * uint32_t(r.width);
    r.cells = static_cast<uint16_t*>(malloc(count * sizeof *r.cells));
    if (r.cells == nullptr) return true;  // the text is out; only its colours are lost
    // Rows the write scrolled in are known cell by cell; any other row keeps what the
    // text does not cover, so it is read back first.
    if (region.known || platform_console_read_cells(r.first_row, count, r.cells)) {
        walk_cells(&start, g_text, g_length, g_runs, g_run_count, paint_cell, &r);
        platform_console_write_cells(r.first_row, count, r.cells);
    }
    free(r.cells);
    return true;
}

void start_runs() {
    g_length = 0;
    g_runs[0] = ColourRun{0, g_colour};
    g_run_count = 1;
}

void paint_flush() {
    if (g_length == 0) return;
    PlatformConsoleInfo before;
    bool expected = g_expected_valid;
    g_expected_valid = false;  // unless this flush is painted: writes by parts are not walked
    if (!platform_console_info(&before) || before.width <= 0 || before.height <= 0) {
        write_by_parts();
    } else {
        CellWalk walk = {before.width, before.height, before.cursor_x, before.cursor_y, 0, 0};
        walk_cells(&walk, g_text, g_length, g_runs, g_run_count, nullptr, nullptr);
        if (walk.edge_breaks > 0) {
            write_by_parts();  // where the rows go depends on where writes end: as always
        } else {
            write_raw(g_text, g_length);
            // Where the walk says the cursor went. The console is asked only when this
            // flush did not start where the last one was to leave the cursor: then
            // something else wrote in between, or the console moved it otherwise, and
            // the walk is checked again. Starting there confirms the last prediction,
            // so a console that agrees once costs one query a flush, not two.
            PlatformConsoleInfo after = before;
            after.cursor_x = walk.x;
            after.cursor_y = walk.row - walk.scrolled;
            bool confirmed = expected && same_place(before, g_expected);
            if ((!confirmed && !platform_console_info(&after)) || !paint_cells(before, after, walk)) {
                // This console moves its cursor otherwise: the rest goes part by part.
                g_painting = false;
            }
            g_expected = after;
            g_expected_valid = g_painting;
        }
    }
    // What follows (other programs, stderr, the next part) is shown in this colour,
    // as when every change went to the console at once.
    if (g_console != g_colour && platform_console_set_attributes(g_colour)) g_console = g_colour;
    start_runs();
    if (!g_painting) divert_output(nullptr);
}

bool paint_write(const char* bytes, size_t length) {
    while (length > 0) {
        if (g_length == sizeof g_text) paint_flush();
        size_t room = sizeof g_text - g_length;
        size_t n = length < room ? length : room;
        memcpy(g_text + g_length, bytes, n);
        g_length += n;
        bytes += n;
        length -= n;
    }
    return true;
}

const OutputSink kPainting = {paint_write, paint_flush};

bool start_painting() {
    PlatformConsoleInfo info;
    if (!platform_console_info(&info)) return false;
    g_colour = info.attributes;
    g_console = info.attributes;
    start_runs();
    divert_output(&kPainting);
    atexit(flush_output);  // the waiting text must not be lost on any way out
    return true;
}

}  // namespace

bool paint_colour(uint16_t attributes) {
    if (!g_tried) {
        g_tried = true;
        g_painting = start_painting();
    }
    if (!g_painting) return false;
    g_colour = attributes;
    ColourRun* last = &g_runs[g_run_count - 1];
    if (last->offset == g_length) {
        last->attributes = attributes;
        return true;
    }
    if (g_run_count == kMaxRuns) {
        paint_flush();  // the runs start anew, in this colour
        return g_painting;
    }
    g_runs[g_run_count++] = ColourRun{g_length, attributes};
    return true;
}
