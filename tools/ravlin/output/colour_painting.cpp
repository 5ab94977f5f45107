#include "colour_painting.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "console_cells.h"
#include "output_policy.h"
#include "platform.h"

namespace {

constexpr size_t kMaxRuns = 1024;

// The batch's text: [0, g_written) is on the console already, in the console's own
// attributes and not painted yet; the rest waits for the next flush.
char g_text[kOutputBufferSize];
size_t g_length;
size_t g_written;
ColourRun g_runs[kMaxRuns];
size_t g_run_count;
uint16_t g_colour;  // of what is written next
uint16_t g_console;  // the console's own attributes, what it writes text in
bool g_tried;
bool g_painting;
// The batch: texts written one after another (the devices of a listing, each as it
// ends) and painted together in one call, as long as nothing else writes to the
// console in between (any other flush ends the batch). Where the cursor stood before
// its first write, whether that is where the last batch was to leave it, and where
// the walk leaves the cursor after what is written so far.
bool g_batch_open;
PlatformConsoleInfo g_start;
bool g_start_confirmed;
CellWalk g_walk;
// Where the last painted batch left the cursor, by the walk (checked with the console
// when the next batch starts).
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

void start_runs() {
    g_length = 0;
    g_written = 0;
    g_runs[0] = ColourRun{0, g_colour};
    g_run_count = 1;
}

// Without cells to paint: a write and an attribute change per part, as it always was.
// Only with no batch open (nothing written and unpainted).
void write_by_parts() {
    for (size_t i = 0; i < g_run_count; i++) {
        size_t end = i + 1 < g_run_count ? g_runs[i + 1].offset : g_length;
        if (g_runs[i].attributes != g_console && platform_console_set_attributes(g_runs[i].attributes))
            g_console = g_runs[i].attributes;
        write_raw(g_text + g_runs[i].offset, end - g_runs[i].offset);
    }
    start_runs();
}

// Where the console's cursor is: the same size and place.
bool same_place(const PlatformConsoleInfo& a, const PlatformConsoleInfo& b) {
    return a.width == b.width && a.height == b.height && a.cursor_x == b.cursor_x && a.cursor_y == b.cursor_y;
}

// Gives the `length` bytes of text just written their colours; false when the console
// did not move its cursor as the walk says (nothing painted then). `after` is where
// the console says the writes left the cursor.
bool paint_cells(const PlatformConsoleInfo& before, const PlatformConsoleInfo& after, const CellWalk& walk,
                 size_t length) {
    if (after.width != before.width || after.height != before.height || after.cursor_x != walk.x ||
        after.cursor_y != walk.row - walk.scrolled)
        return false;
    CellWalk start = {before.width, before.height, before.cursor_x, before.cursor_y, 0, 0};
    CellRegion region = written_region(start, walk, g_text, length);
    if (region.rows == 0) return true;
    Region r;
    r.width = after.width;
    r.scrolled = walk.scrolled;
    r.first_row = region.first_row;
    r.rows = region.rows;
    uint32_t count = uint32_t(r.rows) * uint32_t(r.width);
    r.cells = static_cast<uint16_t*>(malloc(count * sizeof *r.cells));
    if (r.cells == nullptr) return true;  // the text is out; only its colours are lost
    // Rows the writes scrolled in are known cell by cell; any other row keeps what the
    // text does not cover, so it is read back first.
    if (region.known || platform_console_read_cells(r.first_row, count, r.cells)) {
        walk_cells(&start, g_text, length, g_runs, g_run_count, paint_cell, &r);
        platform_console_write_cells(r.first_row, count, r.cells);
    }
    free(r.cells);
    return true;
}

// Asks the console where its cursor is before the batch's first write; false where it
// cannot say.
bool open_batch() {
    PlatformConsoleInfo before;
    if (!platform_console_info(&before) || before.width <= 0 || before.height <= 0) return false;
    g_start = before;
    // Starting where the last batch was to leave the cursor confirms its walk, so the
    // console is asked once a batch, not twice.
    g_start_confirmed = g_expected_valid && same_place(before, g_expected);
    g_expected_valid = false;
    g_walk = CellWalk{before.width, before.height, before.cursor_x, before.cursor_y, 0, 0};
    g_batch_open = true;
    return true;
}

// The written text leaves the buffer; what waits moves to its start, in its colours.
void drop_written() {
    size_t first = 0;
    while (first + 1 < g_run_count && g_runs[first + 1].offset <= g_written) first++;
    size_t count = 0;
    g_runs[count++] = ColourRun{0, g_runs[first].attributes};
    for (size_t i = first + 1; i < g_run_count; i++)
        g_runs[count++] = ColourRun{g_runs[i].offset - g_written, g_runs[i].attributes};
    g_run_count = count;
    memmove(g_text, g_text + g_written, g_length - g_written);
    g_length -= g_written;
    g_written = 0;
}

// Paints what the batch wrote and ends it.
void close_batch() {
    if (!g_batch_open) return;
    g_batch_open = false;
    PlatformConsoleInfo after = g_start;
    after.cursor_x = g_walk.x;
    after.cursor_y = g_walk.row - g_walk.scrolled;
    // Unless the batch started where the last one was to end, the console is asked
    // where the writes left the cursor: something else wrote before the batch, or the
    // console moved its cursor otherwise, and the walk is checked again.
    if ((!g_start_confirmed && !platform_console_info(&after)) || !paint_cells(g_start, after, g_walk, g_written)) {
        g_painting = false;  // this console moves its cursor otherwise: the rest goes part by part
    }
    g_expected = after;
    g_expected_valid = g_painting;
    drop_written();
}

// Hands the waiting text to the console as part of the batch. The batch is painted
// first when the text would scroll its first row off the screen (the cells there
// could not be painted any more), or make rows whose place the walk cannot predict.
void write_pending() {
    size_t pending = g_length - g_written;
    if (pending == 0) return;
    if (!g_batch_open && !open_batch()) {
        write_by_parts();
        return;
    }
    CellWalk walk = g_walk;
    walk_cells(&walk, g_text + g_written, pending, nullptr, 0, nullptr, nullptr);
    bool on_screen = walk.scrolled <= g_start.cursor_y;
    if (g_written > 0 && (walk.edge_breaks > 0 || !on_screen)) {
        close_batch();
        write_pending();  // alone, in a batch of its own
        return;
    }
    if (walk.edge_breaks > 0) {
        g_batch_open = false;  // nothing of it written
        write_by_parts();  // where the rows go depends on where writes end: as always
        return;
    }
    // Text taller than the screen on its own is written whole as well; its rows that
    // scroll off before the paint keep the console's attributes.
    write_raw(g_text + g_written, pending);
    g_walk = walk;
    g_written = g_length;
}

void paint_flush() {
    if (g_length == 0 && !g_batch_open) return;
    write_pending();
    close_batch();
    if (g_length == 0) start_runs();  // in the colour of what comes next
    // What follows (other programs, stderr, the next part) is shown in this colour,
    // as when every change went to the console at once.
    if (g_console != g_colour && platform_console_set_attributes(g_colour)) g_console = g_colour;
    if (!g_painting) divert_output(nullptr);
}

// The end of one item of a listing: its text reaches the console now, its colours with
// the batch.
void paint_item_end() {
    write_pending();
    if (!g_painting) paint_flush();
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

const OutputSink kPainting = {paint_write, paint_flush, paint_item_end};

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
