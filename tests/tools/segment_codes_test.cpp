#include "tools/segment_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tarvix {
namespace {

// A digit lights the segments drawn for it: a top, b top right, c bottom right, d bottom,
// e bottom left, f top left, g middle.
TEST(SegmentCodesTest, DigitCodesLightTheirDrawnSegments) {
    const char* const drawn[16] = {"abcdef", "bc",    "abdeg",   "abcdg",  "bcfg",   "acdfg",
                                   "acdefg", "abc",   "abcdefg", "abcdfg", "abcefg", "cdefg",
                                   "adef",   "bcdeg", "adefg",   "aefg"};
    for (int digit = 0; digit < 16; ++digit) {
        std::array<bool, kSegmentCount> lit{};
        for (const char* s = drawn[digit]; *s != '\0'; ++s) {
            lit[static_cast<std::size_t>(*s - 'a')] = true;
        }
        EXPECT_EQ(digitSegmentCode(digit), segmentCode(lit)) << digit;
    }
}

TEST(SegmentCodesTest, DigitTableListsEachDigitWithItsCode) {
    const std::string table = digitTableText();
    EXPECT_EQ(table.rfind("Num Code\n 0  3F\n 1  06\n", 0), 0u) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 17);
}

TEST(SegmentCodesTest, CodeTexts) {
    struct Case {
        std::array<bool, kSegmentCount> lit;
        const char* hex;
        const char* binary;
    };
    const Case cases[] = {
        {{}, "00 H", "00000000 B"},
        {{true, true, true}, "07 H", "00000111 B"},
        {{false, false, false, false, false, false, false, true}, "80 H", "10000000 B"},
        {{true, true, true, true, true, true, true, true}, "FF H", "11111111 B"},
    };
    for (const Case& c : cases) {
        const std::uint8_t code = segmentCode(c.lit);
        EXPECT_EQ(codeHexText(code), c.hex);
        EXPECT_EQ(codeBinaryText(code), c.binary);
    }
}

TEST(SegmentCodesTest, DisplayTextReadsDigitsTheSegmentsDraw) {
    struct Case {
        std::vector<std::uint8_t> codes;
        const char* text;
    };
    const Case cases[] = {
        {{digitSegmentCode(1), digitSegmentCode(0xA), digitSegmentCode(0xF)}, "1AF"},
        {{0x00, 0x40, 0x80, static_cast<std::uint8_t>(digitSegmentCode(8) | 0x80)}, " - .8."},
        {{0x76, digitSegmentCode(0xE), 0x81}, "[76H]E[81H]"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(displayText(c.codes), c.text);
    }
}

}  // namespace
}  // namespace tarvix
