#include "common/operand_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarvix {
namespace {

TEST(OperandText, HexNumberTable) {
    struct Case {
        const char* text;
        bool isNumber;
        std::uint16_t value;
    };
    const Case cases[] = {
        {"0", true, 0},         {"00", true, 0},        {"1234", true, 0x1234},
        {"0012", true, 0x12},   {"ffFF", true, 0xFFFF}, {"12345", true, 0x2345},
        {"000000001", true, 1}, {"", false, 0},         {"80h", false, 0x80},
        {"0x80", false, 0},     {"-2", false, 0xFFFE},  {"+7f", false, 0x7F},
        {" 5", false, 5},       {"g", false, 0},        {"12 34", false, 0x12},
        {"bx", false, 0xB},     {"-0", false, 0},       {"-10000", false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isHexNumber(c.text), c.isNumber) << c.text;
        EXPECT_EQ(parseHex(c.text), c.value) << c.text;
    }
}

TEST(OperandText, RegisterTable) {
    struct Case {
        const char* text;
        int size;
        int accumulator;
        const char* code;
    };
    const Case cases[] = {
        {"AX", 2, 2, "000"}, {"cx", 2, 0, "001"},  {"Dx", 2, 0, "010"}, {"bx", 2, 0, "011"},
        {"sp", 2, 0, "100"}, {"bp", 2, 0, "101"},  {"si", 2, 0, "110"}, {"di", 2, 0, "111"},
        {"al", 1, 1, "000"}, {"cl", 1, 0, "001"},  {"dl", 1, 0, "010"}, {"bl", 1, 0, "011"},
        {"ah", 1, 0, "100"}, {"ch", 1, 0, "101"},  {"dh", 1, 0, "110"}, {"BH", 1, 0, "111"},
        {"es", 0, 0, "reg"}, {"ax ", 0, 0, "reg"}, {"", 0, 0, "reg"},   {"eax", 0, 0, "reg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(registerSize(c.text), c.size) << c.text;
        EXPECT_EQ(accumulatorSize(c.text), c.accumulator) << c.text;
        EXPECT_EQ(registerCode(c.text), c.code) << c.text;
    }
}

}  // namespace
}  // namespace tarvix
