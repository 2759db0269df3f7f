// How one buffer line looks on screen. The buffer keeps bytes; a valid UTF-8 sequence shows as
// one character and any other byte as its Latin-1 character, so no file is unreadable. Tabs
// run to the next multiple of the tab size; every other character takes one column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

// Tab stops of the editor, its printouts and its block indent.
inline constexpr int kTabSize = 8;

class LineLayout {
public:
    explicit LineLayout(std::string_view bytes, int tabSize = kTabSize);

    int characterCount() const { return static_cast<int>(bytes_.size()) - 1; }
    int width() const { return columns_.back(); }  // in screen columns

    // The character that holds `byte` (characterCount() at or past the line end).
    int characterAt(int byte) const;
    int byteOf(int character) const;
    int columnOf(int character) const;
    // The character boundary nearest to a (fractional) screen column.
    int characterNearColumn(double column) const;
    // The byte boundary at or before `byte`, so that a position never splits a character.
    int snapByte(int byte) const { return byteOf(characterAt(byte)); }

    // The characters [first, end) as shown, tabs expanded to spaces.
    std::u32string text(int first, int end) const;

private:
    void append(int byte, const std::u32string& shown, int columns);

    std::vector<int> bytes_;      // byte index of each character, then the line length
    std::vector<int> columns_;    // screen column of each character, then the width
    std::vector<int> textIndex_;  // index in text_ of each character, then text_.size()
    std::u32string text_;
};

}  // namespace tarvix
