#include "terminal/terminal_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarvix {
namespace {

TEST(TerminalScreenTest, ControlCharacters) {
    struct Case {
        const char* sent;
        const char* shown;
        int row;
        int column;
    };
    const Case cases[] = {
        {"HELLO\r\n", "HELLO\n", 1, 0},
        {"AB\rC", "CB\n", 0, 1},
        {"AB\nC", "AB\n  C\n", 1, 3},
        {"ABC\b\bx", "AxC\n", 0, 2},
        {"\b\bA", "A\n", 0, 1},
        {"A\tB", "A       B\n", 0, 9},
        {"A\x07\x01\x1b\x7f"
         "B",
         "AB\n", 0, 2},
        {"\xb5", "\xb5\n", 0, 1},
    };
    for (const Case& c : cases) {
        TerminalScreen screen;
        screen.write(c.sent);
        EXPECT_EQ(screen.text(), c.shown) << c.sent;
        EXPECT_EQ(screen.cursorRow(), c.row) << c.sent;
        EXPECT_EQ(screen.cursorColumn(), c.column) << c.sent;
    }
}

TEST(TerminalScreenTest, BellIsCountedNotShown) {
    TerminalScreen screen;
    screen.write("\x07\x07");
    EXPECT_EQ(screen.bells(), 2);
    EXPECT_EQ(screen.text(), "");
}

TEST(TerminalScreenTest, LongLinesWrapAtTheRightEdge) {
    TerminalScreen screen;
    screen.write(std::string(TerminalScreen::kColumns, 'x'));
    EXPECT_EQ(screen.cursorRow(), 0);
    // A line of exactly 80 characters and its CR LF leave no empty row between.
    screen.write("\r\nnext");
    EXPECT_EQ(screen.rowText(1), "next");
    screen.write(std::string(TerminalScreen::kColumns, 'y'));
    EXPECT_EQ(screen.rowText(2), "yyyy");
    EXPECT_EQ(screen.cursorRow(), 2);
}

TEST(TerminalScreenTest, ScrollsUpPastTheLastRow) {
    TerminalScreen screen;
    for (int line = 0; line < TerminalScreen::kRows + 2; ++line) {
        screen.write("line " + std::to_string(line) + "\r\n");
    }
    EXPECT_EQ(screen.rowText(0), "line 3");
    EXPECT_EQ(screen.rowText(TerminalScreen::kRows - 2), "line 26");
    EXPECT_EQ(screen.rowText(TerminalScreen::kRows - 1), "");
    EXPECT_EQ(screen.cursorRow(), TerminalScreen::kRows - 1);
}

// Whatever bytes a program sends, the cursor stays on the screen (or just past the last
// column, waiting to wrap) and every cell holds a character the window can draw.
TEST(TerminalScreenTest, AnyBytesKeepTheScreenWhole) {
    std::mt19937 random(4096);
    TerminalScreen screen;
    for (int round = 0; round < 200000; ++round) {
        screen.put(static_cast<std::uint8_t>(random()));
        ASSERT_GE(screen.cursorRow(), 0);
        ASSERT_LT(screen.cursorRow(), TerminalScreen::kRows);
        ASSERT_GE(screen.cursorColumn(), 0);
        ASSERT_LE(screen.cursorColumn(), TerminalScreen::kColumns);
    }
    for (int row = 0; row < TerminalScreen::kRows; ++row) {
        for (int column = 0; column < TerminalScreen::kColumns; ++column) {
            ASSERT_GE(screen.at(row, column), 0x20) << row << "," << column;
        }
    }
}

}  // namespace
}  // namespace tarvix
