// Where console text lands: the walk must move the cursor exactly as a console with
// processed output and wrapping does, or colours would be painted on other cells.
#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>
#include <utility>

#include "console_cells.h"

namespace {

struct Painted {
    std::map<std::pair<int32_t, int32_t>, uint16_t> cells;  // (row, x) -> attributes
    std::map<int32_t, uint16_t> filled;                     // rows scrolled in
};

void record(void* context, int32_t x, int32_t row, uint16_t attributes) {
    Painted* p = static_cast<Painted*>(context);
    if (x < 0) p->filled[row] = attributes;
    else p->cells[{row, x}] = attributes;
}

CellWalk walk_of(const std::string& text, int32_t width, int32_t height, int32_t x, int32_t row,
                 const ColourRun* runs, size_t run_count, Painted* painted) {
    CellWalk walk = {width, height, x, row, 0, 0};
    walk_cells(&walk, text.data(), text.size(), runs, run_count, painted ? record : nullptr, painted);
    return walk;
}

TEST(ConsoleCells, LineEndsTabsAndBackspaceMoveTheCursorAsAConsoleDoes) {
    const ColourRun plain[] = {{0, 7}};
    CellWalk w = walk_of("ab\r\ncd", 80, 25, 5, 2, plain, 1, nullptr);
    EXPECT_EQ(w.x, 2);
    EXPECT_EQ(w.row, 3);
    // A tab fills blanks to the next stop of 8; a backspace steps back; a bell is no cell.
    Painted p;
    w = walk_of("ab\tc\b\a", 80, 25, 0, 0, plain, 1, &p);
    EXPECT_EQ(w.x, 8);
    EXPECT_EQ(p.cells.size(), 9u);  // a, b, six blanks, c
    w = walk_of("\t", 80, 25, 8, 0, plain, 1, nullptr);
    EXPECT_EQ(w.x, 16);  // a tab at a stop goes to the next one
}

TEST(ConsoleCells, EachCellGetsTheColourOfItsRun) {
    const ColourRun runs[] = {{0, 7}, {2, 0x0E}, {4, 0xFC}};
    Painted p;
    walk_of("abcd\r\nef", 80, 25, 3, 1, runs, 3, &p);
    EXPECT_EQ(p.cells.at({1, 3}), 7);
    EXPECT_EQ(p.cells.at({1, 4}), 7);
    EXPECT_EQ(p.cells.at({1, 5}), 0x0E);
    EXPECT_EQ(p.cells.at({1, 6}), 0x0E);
    EXPECT_EQ(p.cells.at({2, 0}), 0xFC);
    EXPECT_EQ(p.cells.at({2, 1}), 0xFC);
    EXPECT_EQ(p.cells.size(), 6u);
}

TEST(ConsoleCells, LongRowsWrapAndTheBufferScrollsWithTheColourOfTheMoment) {
    const ColourRun runs[] = {{0, 7}, {12, 0x9F}};
    Painted p;
    // Width 5, height 3, from the last row: "abcde" fills it and wraps (a scroll),
    // "fg\r\n" scrolls again, in the colour in force at that line end.
    CellWalk w = walk_of("abcdefg\r\nhij\r\nk", 5, 3, 0, 2, runs, 2, &p);
    EXPECT_EQ(w.scrolled, 3);
    EXPECT_EQ(w.row, 5);
    EXPECT_EQ(w.row - w.scrolled, 2);  // the cursor stays on the last screen row
    EXPECT_EQ(w.x, 1);
    EXPECT_EQ(p.filled.at(3), 7);      // scrolled in by the wrap
    EXPECT_EQ(p.filled.at(4), 7);      // by the first line end, before the change
    EXPECT_EQ(p.filled.at(5), 0x9F);   // by the second, after it
    EXPECT_EQ(p.cells.at({3, 1}), 7);  // 'g'
    EXPECT_EQ(p.cells.at({5, 0}), 0x9F);
    EXPECT_EQ(w.edge_breaks, 0);
}

TEST(ConsoleCells, ARowFilledToTheEdgeAndEndedAtOnceIsFlagged) {
    const ColourRun plain[] = {{0, 7}};
    EXPECT_EQ(walk_of("abcde\r\nx", 5, 25, 0, 0, plain, 1, nullptr).edge_breaks, 1);
    EXPECT_EQ(walk_of("abcdef\r\n", 5, 25, 0, 0, plain, 1, nullptr).edge_breaks, 0);
    EXPECT_EQ(walk_of("abcde", 5, 25, 0, 0, plain, 1, nullptr).edge_breaks, 0);
}

// The rows painted after a write, and when they need no reading back: a row not
// scrolled in by the write keeps cells the text does not cover.
CellRegion region_of(const std::string& text, int32_t width, int32_t height, int32_t x, int32_t row) {
    const ColourRun plain[] = {{0, 7}};
    CellWalk start = {width, height, x, row, 0, 0};
    CellWalk end = walk_of(text, width, height, x, row, plain, 1, nullptr);
    return written_region(start, end, text.data(), text.size());
}

TEST(ConsoleCells, RowsScrolledInAreKnownAndTheCursorRowCountsOnlyWhenWritten) {
    // A device's text at the bottom of a full buffer: it begins with a line end, so the
    // row the cursor was on is left as it was; every row painted was scrolled in.
    CellRegion r = region_of("\r\nab\r\ncd\r\n", 80, 25, 0, 24);
    EXPECT_EQ(r.first_row, 22);
    EXPECT_EQ(r.rows, 3);
    EXPECT_TRUE(r.known);
    // Text on the cursor's row: that row is painted, and was there before.
    r = region_of("xy\r\nab\r\n", 80, 25, 5, 24);
    EXPECT_EQ(r.first_row, 22);
    EXPECT_EQ(r.rows, 3);
    EXPECT_FALSE(r.known);
    // A tab writes cells too; a carriage return, backspace or bell does not.
    EXPECT_EQ(region_of("\tz\r\n", 80, 25, 0, 24).first_row, 23);
    EXPECT_EQ(region_of("\r\b\a\r\nz", 80, 25, 3, 24).first_row, 24);
    // Rows below the cursor that were there already (nothing scrolled): read back.
    r = region_of("\r\nab\r\n", 80, 25, 0, 3);
    EXPECT_EQ(r.first_row, 4);
    EXPECT_EQ(r.rows, 2);
    EXPECT_FALSE(r.known);
    // Partly scrolled (rows 23 and 24 were there, two more came in): the first painted
    // rows were there before the write.
    r = region_of("\r\na\r\nb\r\nc\r\n", 80, 25, 0, 22);
    EXPECT_EQ(r.first_row, 21);
    EXPECT_EQ(r.rows, 4);
    EXPECT_FALSE(r.known);
    // More rows than the screen holds: the cursor's row is gone, every row is new.
    r = region_of("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7", 5, 5, 2, 4);
    EXPECT_EQ(r.first_row, 0);
    EXPECT_EQ(r.rows, 5);
    EXPECT_TRUE(r.known);
    // Nothing but a carriage return: no row to paint.
    EXPECT_EQ(region_of("\r", 80, 25, 3, 10).rows, 0);
}

TEST(ConsoleCells, EveryCellOfAKnownRegionIsGivenByTheWalk) {
    // What lets the painter skip reading the cells back: each cell of each row of a
    // known region is either written or filled when its row scrolled in.
    const ColourRun runs[] = {{0, 7}, {4, 0x0E}, {9, 0x0A}};
    const std::string text = "\r\nDEV#\tname\r\npath OPEN\r\n";
    Painted p;
    CellWalk end = walk_of(text, 20, 6, 0, 5, runs, 3, &p);
    CellWalk start = {20, 6, 0, 5, 0, 0};
    CellRegion r = written_region(start, end, text.data(), text.size());
    ASSERT_TRUE(r.known);
    for (int32_t row = r.first_row; row < r.first_row + r.rows; row++) {
        int32_t virtual_row = row + end.scrolled;
        EXPECT_EQ(p.filled.count(virtual_row), 1u) << "row " << row << " was not scrolled in";
    }
}

}  // namespace
