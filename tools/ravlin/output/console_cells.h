// Where text written to a console lands, cell by cell: a console screen buffer with
// processed output and wrapping at the end of a row (what a Windows console does by
// default) advances its cursor by these rules, so the cells a write fills, and the
// rows it scrolls in, are known before the write. Colour painting uses it to give
// each written cell its colour in one call after one write.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A colour change inside the text: from byte `offset` on, `attributes`.
struct ColourRun {
    size_t offset;
    uint16_t attributes;
};

struct CellWalk {
    int32_t width;   // of the screen buffer
    int32_t height;
    int32_t x;       // the cursor, as the walk leaves it
    int32_t row;     // the cursor's row: virtual, counted on from the first row
    int32_t scrolled;  // rows the buffer scrolled up so far
    // Rows filled to the last column and ended at once by a line end. Consoles differ
    // on whether that makes an empty row (some wrap only when the next character
    // comes, and a write that ends there decides it), so such text is not predicted.
    int32_t edge_breaks;
};

// Called for each cell written (`row` virtual: on screen it is row - scrolled at the
// end of the walk) and, with x == -1, for each row scrolled in, which the console
// fills with the attributes in force at that moment.
typedef void (*CellVisit)(void* context, int32_t x, int32_t row, uint16_t attributes);

// Walks `length` bytes of `text` with `runs` (sorted, the first at offset 0) from
// the cursor in `walk`, which it advances. `visit` may be null.
void walk_cells(CellWalk* walk, const char* text, size_t length, const ColourRun* runs, size_t run_count,
                CellVisit visit, void* context);

// The screen rows a write changed, as they lie after it.
struct CellRegion {
    int32_t first_row;  // on screen
    int32_t rows;       // 0: no cell to paint
    // Every one of these rows was scrolled in by the write, so the walk knows each of
    // their cells (a scrolled-in row is filled whole): nothing needs reading back.
    bool known;
};

// The rows to paint after `length` bytes of `text` took a walk from `start` (the
// cursor before the write, nothing scrolled yet) to `end`. The row the cursor left
// is one of them only when the text writes a cell in it.
CellRegion written_region(const CellWalk& start, const CellWalk& end, const char* text, size_t length);
