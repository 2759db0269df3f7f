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
        switch (colour) {
            case kColourMnemonic:
                painted += 'M';
                break;
            case kColourRegister:
                painted += 'R';
                break;
            case kColourDirective:
                painted += 'D';
                break;
            case kColourNumber:
                painted += 'N';
                break;
            case kColourLiteral:
                painted += 'L';
                break;
            case kColourComment:
                painted += 'C';
                break;
            default:
                painted += '.';
                break;
        }
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

TEST(SyntaxClassifier, Colours) {
    const Rgb scrollBar{1, 2, 3};
    struct Case {
        int index;
        Rgb rgb;
    };
    const Case cases[] = {{0, {255, 255, 255}}, {2, {0, 0, 0}},       {3, {1, 2, 3}},
                          {6, {0, 0, 240}},     {7, {150, 150, 150}}, {8, {0, 200, 128}},
                          {9, {212, 164, 132}}, {11, {255, 0, 0}},    {13, {240, 0, 0}},
                          {12, {255, 0, 0}}};
    for (const Case& c : cases) {
        const Rgb rgb = colourOf(c.index, scrollBar);
        EXPECT_EQ(rgb.red, c.rgb.red) << c.index;
        EXPECT_EQ(rgb.green, c.rgb.green) << c.index;
        EXPECT_EQ(rgb.blue, c.rgb.blue) << c.index;
    }
}

}  // namespace
}  // namespace tarvix
