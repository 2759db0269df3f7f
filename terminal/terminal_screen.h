// The CRT terminal's screen: 80 columns by 25 rows of characters and a cursor. Printable
// characters are written at the cursor, which wraps at the right edge; CR returns to the
// first column, LF moves down a row, BS moves left, TAB to the next multiple of 8, and moving
// down past the last row scrolls the screen up. BEL is counted for the window to show.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvix {

class TerminalScreen {
public:
    static constexpr int kColumns = 80;
    static constexpr int kRows = 25;

    TerminalScreen() { clear(); }

    void put(std::uint8_t character);
    void write(std::string_view characters);
    void clear();

    // Bytes 20H to FFH; the blank is a space.
    std::uint8_t at(int row, int column) const {
        return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    int cursorRow() const { return cursorRow_; }
    int cursorColumn() const { return cursorColumn_; }
    int bells() const { return bells_; }

    // The row's characters without its trailing blanks.
    std::string rowText(int row) const;
    // Every row up to the last one that is not blank, each ended by a line feed.
    std::string text() const;

private:
    void lineFeed();

    std::array<std::array<std::uint8_t, kColumns>, kRows> cells_{};
    int cursorRow_ = 0;
    int cursorColumn_ = 0;
    int bells_ = 0;
};

}  // namespace tarvix
