#include "console_cells.h"

namespace {

constexpr int32_t kTabStop = 8;

void new_row(CellWalk* walk, uint16_t attributes, CellVisit visit, void* context) {
    walk->x = 0;
    walk->row++;
    if (walk->row - walk->scrolled < walk->height) return;
    walk->scrolled++;
    if (visit != nullptr) visit(context, -1, walk->row, attributes);
}

void put_cell(CellWalk* walk, uint16_t attributes, CellVisit visit, void* context) {
    if (visit != nullptr) visit(context, walk->x, walk->row, attributes);
    if (++walk->x == walk->width) new_row(walk, attributes, visit, context);
}

}  // namespace

void walk_cells(CellWalk* walk, const char* text, size_t length, const ColourRun* runs, size_t run_count,
                CellVisit visit, void* context) {
    size_t run = 0;
    for (size_t i = 0; i < length; i++) {
        while (run + 1 < run_count && runs[run + 1].offset <= i) run++;
        uint16_t attributes = run_count > 0 ? runs[run].attributes : 7;
        switch (text[i]) {
        case '\r':
            walk->x = 0;
            break;
        case '\n':
            new_row(walk, attributes, visit, context);
            break;
        case '\t':  // blanks up to the next tab stop
            do put_cell(walk, attributes, visit, context);
            while (walk->x % kTabStop != 0);
            break;
        case '\b':
            if (walk->x > 0) walk->x--;
            break;
        case '\a':
            break;
        default:
            put_cell(walk, attributes, visit, context);
            if (walk->x == 0 && i + 1 < length && (text[i + 1] == '\r' || text[i + 1] == '\n')) walk->edge_breaks++;
        }
    }
}

// Whether the text writes a cell before its first line end (a line end, a carriage
// return, a backspace or a bell alone leave the row's cells as they were).
static bool writes_cursor_row(const char* text, size_t length) {
    for (size_t i = 0; i < length && text[i] != '\n'; i++)
        if (text[i] != '\r' && text[i] != '\b' && text[i] != '\a') return true;
    return false;
}

CellRegion written_region(const CellWalk& start, const CellWalk& end, const char* text, size_t length) {
    CellRegion region;
    int32_t cursor_row = start.row - end.scrolled;  // where the cursor's row went; < 0: off the buffer
    region.first_row = cursor_row < 0 ? 0 : cursor_row;
    if (cursor_row >= 0 && !writes_cursor_row(text, length)) region.first_row++;
    int32_t last_row = end.row - end.scrolled;
    region.rows = last_row >= region.first_row ? last_row - region.first_row + 1 : 0;
    region.known = region.first_row >= end.height - end.scrolled;
    return region;
}
