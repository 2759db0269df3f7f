#include "editor/syntax_classifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvix {
namespace {

// One letter per column for the colour it is painted in: the last block starting at or before
// the column wins, as the view paints them.
std::string paint(std::string_view line, std::uint32_t state = 0, std::uint32_t* next = nullptr) {
    std::vector<ColourBlock> blocks;
    const std::uint32_t after = classifyLine(state, line, &blocks);
    if (next) {
        *next = after;
    }
    for (std::size_t k = 1; k < blocks.size(); ++k) {
        EXPECT_LE(blocks[k - 1].start, blocks[k].start) << line;
    }
    std::string painted;
    for (int column = 0; column < static_cast<int>(line.size()); ++column) {
        int colour = kColourText;
        for (const ColourBlock& block : blocks) {
            if (block.start <= column) {
                colour = block.colour;
            }
        }
        // From kColourMnemonic (6) to kColourDirective (13).
        constexpr std::string_view kLetters = "......MCRN.L.D";
        painted += kLetters.at(static_cast<std::size_t>(colour));
    }
    return painted;
}

TEST(SyntaxClassifier, LineTable) {
    struct Case {
        const char* line;
        const char* painted;
    };
    const Case cases[] = {
        {"MOV AX,1000H ; load", "MMM.RR.......CCCCCC"},
        {"add bx,1000", "MMM.RR.NNNN"},
        {"FACE ADD", "NNNN.MMM"},
        {"Db 'A'", "DD.LLL"},
        {"mov ax,es", "MMM.RR..."},
        {"again: loop again", ".......MMMM......"},
        {"db \"a;b\" ; c", "DD.LLLLL.CCC"},
        {"inc;", "MMM."},
        {"mov [bx+si-2],al", "MMM..RR.RR.N..RR"},
        {"connect led55", "DDDDDDD......"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(paint(c.line), c.painted) << c.line;
    }
}

TEST(SyntaxClassifier, BackslashCarriesLiteralsAndCommentsOver) {
    std::uint32_t state = 0;
    EXPECT_EQ(paint("db 'ab\\", 0, &state), "DD.LLLL");
    EXPECT_EQ(state, kInSingleQuote);
    EXPECT_EQ(paint("cd' mov", state, &state), "LLL.MMM");
    EXPECT_EQ(state, 0u);

    EXPECT_EQ(paint("nop ; note \\", 0, &state), "MMM.CCCCCCCC");
    EXPECT_EQ(state, kInComment);
    EXPECT_EQ(paint("mov ax,bx", state, &state), "CCCCCCCCC");
    EXPECT_EQ(state, 0u);

    // Without the backslash everything but the kept bit ends with the line.
    EXPECT_EQ(classifyLine(kInDoubleQuote | kKeptAcrossLines, "x", nullptr), kKeptAcrossLines);
}

}  // namespace
}  // namespace tarvix
