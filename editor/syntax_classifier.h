// Cuts a source line into coloured blocks: mnemonics, registers, directives, numbers, string
// and character literals, comments and ordinary text. A small state carries a literal or a
// comment over to the next line when a line ends in a backslash.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvix {

// Colour indexes, as the view asks for them.
enum ColourIndex : int {
    kColourBackground = 0,
    kColourMarginOff = 1,
    kColourText = 2,
    kColourMarginOn = 3,
    kColourSelectedBackground = 4,
    kColourSelectedText = 5,
    kColourMnemonic = 6,
    kColourComment = 7,
    kColourRegister = 8,
    kColourNumber = 9,
    kColourOther = 10,
    kColourLiteral = 11,
    kColourDirective = 13,
};

// Bits of the state carried from one line to the next.
inline constexpr std::uint32_t kInComment = 0x01;
inline constexpr std::uint32_t kKeptAcrossLines = 0x04;  // never set here; kept for the view
inline constexpr std::uint32_t kInDoubleQuote = 0x08;
inline constexpr std::uint32_t kInSingleQuote = 0x10;

struct ColourBlock {
    int start;   // column where the block begins; it runs to the next block or the line end
    int colour;  // a ColourIndex
};

// Classifies one line from the state the previous line left, appending its blocks to
// `blocks` when given; returns the state at the start of the next line.
std::uint32_t classifyLine(std::uint32_t state, std::string_view line,
                           std::vector<ColourBlock>* blocks);

struct Rgb {
    std::uint8_t red, green, blue;
};

// The colour of an index; `scrollBar` is the platform's scroll-bar colour for the margin.
Rgb colourOf(int index, Rgb scrollBar);
// The same in the high-contrast scheme: light words on black, each kind of word in a colour
// far from the others and from the ground.
Rgb highContrastColourOf(int index);

}  // namespace tarvix
