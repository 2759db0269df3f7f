#include "terminal/terminal_screen.h"

#include <algorithm>

namespace tarvix {

namespace {

constexpr std::uint8_t kBell = 0x07;
constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kBlank = ' ';
constexpr int kTabStop = 8;

}  // namespace

void TerminalScreen::clear() {
    for (auto& row : cells_) {
        row.fill(kBlank);
    }
    cursorRow_ = 0;
    cursorColumn_ = 0;
}

void TerminalScreen::write(std::string_view characters) {
    for (const char c : characters) {
        put(static_cast<std::uint8_t>(c));
    }
}

void TerminalScreen::put(std::uint8_t character) {
    switch (character) {
        case kBell:
            ++bells_;
            return;
        case kBackspace:
            cursorColumn_ = std::max(cursorColumn_ - 1, 0);
            return;
        case kTab:
            cursorColumn_ = std::min((cursorColumn_ / kTabStop + 1) * kTabStop, kColumns - 1);
            return;
        case kLineFeed:
            lineFeed();
            return;
        case kCarriageReturn:
            cursorColumn_ = 0;
            return;
        default:
            break;
    }
    // Other control characters and DEL have nothing to show.
    if (character < kBlank || character == 0x7F) {
        return;
    }
    if (cursorColumn_ == kColumns) {
        cursorColumn_ = 0;
        lineFeed();
    }
    cells_[static_cast<std::size_t>(cursorRow_)][static_cast<std::size_t>(cursorColumn_)] =
        character;
    ++cursorColumn_;
}

// The cursor may stand just past the last column after writing there; the next character
// wraps, while CR or LF right after it does not leave an empty row.
void TerminalScreen::lineFeed() {
    if (cursorRow_ < kRows - 1) {
        ++cursorRow_;
        return;
    }
    std::rotate(cells_.begin(), cells_.begin() + 1, cells_.end());
    cells_.back().fill(kBlank);
}

std::string TerminalScreen::rowText(int row) const {
    const auto& cells = cells_[static_cast<std::size_t>(row)];
    std::string text(cells.begin(), cells.end());
    text.erase(text.find_last_not_of(static_cast<char>(kBlank)) + 1);
    return text;
}

std::string TerminalScreen::text() const {
    int rows = kRows;
    while (rows > 0 && rowText(rows - 1).empty()) {
        --rows;
    }
    std::string text;
    for (int row = 0; row < rows; ++row) {
        text += rowText(row) + '\n';
    }
    return text;
}

}  // namespace tarvix
