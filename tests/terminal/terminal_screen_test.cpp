// The terminal's screen: control characters, wrapping, scrolling, and any bytes at all.
#include "terminal/terminal_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarvix {
namespace {

TEST(TerminalScreenTest, ControlCharacters) {
    const struct {
        const char* sent;
        const char* shown;
        int row;
        int column;
        int bells = 0;  // counted, not shown
    } cases[] = {
        {"HELLO\r\n", "HELLO\n", 1, 0},
        {"AB\rC", "CB\n", 0, 1},
        {"AB\nC", "AB\n  C\n", 1, 3},
        {"ABC\b\bx", "AxC\n", 0, 2},
        {"\b\bA", "A\n", 0, 1},
        {"A\tB", "A       B\n", 0, 9},
        {"A\x07\x01\x1b\x7f\x07"
         "B",
         "AB\n", 0, 2, 2},
        {"\xb5", "\xb5\n", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        TerminalScreen screen;
        screen.write(c.sent);
        EXPECT_EQ(screen.text(), c.shown);
        EXPECT_EQ(screen.cursorRow(), c.row);
        EXPECT_EQ(screen.cursorColumn(), c.column);
        EXPECT_EQ(screen.bells(), c.bells);
    }
}

// A line of exactly 80 characters and its CR LF leave no empty row between; a line feed on
// the last row scrolls the screen up.
TEST(TerminalScreenTest, LinesWrapAtTheRightEdgeAndScrollPastTheLastRow) {
    constexpr int kColumns = TerminalScreen::kColumns;
    TerminalScreen screen;
    screen.write(std::string(kColumns, 'x'));
    EXPECT_EQ(screen.cursorRow(), 0);
    screen.write("\r\nnext" + std::string(kColumns, 'y'));
    EXPECT_EQ(screen.rowText(1), "next" + std::string(kColumns - 4, 'y'));
    EXPECT_EQ(screen.rowText(2), "yyyy");
    for (int line = 0; line < TerminalScreen::kRows; ++line) {
        screen.write("\r\nline " + std::to_string(line));
    }
    EXPECT_EQ(screen.rowText(0), "line 0");
    EXPECT_EQ(screen.rowText(TerminalScreen::kRows - 1),
              "line " + std::to_string(TerminalScreen::kRows - 1));
    EXPECT_EQ(screen.cursorRow(), TerminalScreen::kRows - 1);
}

// Whatever bytes a program sends, the cursor stays on the screen (or just past the last
// column, waiting to wrap) and every cell holds a character the window can draw.
TEST(TerminalScreenTest, AnyBytesKeepTheScreenWhole) {
    std::mt19937 random(4096);
    TerminalScreen screen;
    for (int round = 0; round < 200000; ++round) {
        screen.put(static_cast<std::uint8_t>(random()));
        ASSERT_TRUE(screen.cursorRow() >= 0 && screen.cursorRow() < TerminalScreen::kRows);
        ASSERT_TRUE(screen.cursorColumn() >= 0 &&
                    screen.cursorColumn() <= TerminalScreen::kColumns);
    }
    for (int row = 0; row < TerminalScreen::kRows; ++row) {
        for (int column = 0; column < TerminalScreen::kColumns; ++column) {
            ASSERT_GE(screen.at(row, column), 0x20) << row << "," << column;
        }
    }
}

}  // namespace
}  // namespace tarvix
