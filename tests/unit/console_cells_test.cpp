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

}  // namespace
