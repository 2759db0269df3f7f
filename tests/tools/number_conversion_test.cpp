#include "tools/number_conversion.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

TEST(NumberConversionTest, ParsingStopsAtTheFirstForeignCharacter) {
    struct Case {
        const char* text;
        NumberField field;
        std::uint16_t value;
    };
    const Case cases[] = {
        {"12G", NumberField::Hexadecimal, 0x12},
        {"", NumberField::Hexadecimal, 0},
        {"99999", NumberField::Decimal, 99999 & 0xFFFF},
        {"12a", NumberField::Decimal, 12},
        {"1012", NumberField::Binary, 0b101},
        {"11111111111111111", NumberField::Binary, 0xFFFF},
        {"123456789", NumberField::Hexadecimal, 0x6789},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseField(c.text, c.field), c.value) << c.text;
    }
}

TEST(NumberConversionTest, FieldsFollowTheMode) {
    struct Case {
        WordMode mode;
        std::uint16_t value;
        const char* hex;
        const char* dec;
        const char* bin;
    };
    const Case cases[] = {
        {WordMode::Bits8, 300, "2C", "44", "00101100"},
        {WordMode::Bits16, 300, "12C", "300", "0000000100101100"},
        {WordMode::Bits16, 0xFFFF, "FFFF", "65535", "1111111111111111"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatField(c.value, NumberField::Hexadecimal, c.mode), c.hex);
        EXPECT_EQ(formatField(c.value, NumberField::Decimal, c.mode), c.dec);
        EXPECT_EQ(formatField(c.value, NumberField::Binary, c.mode), c.bin);
    }
}

TEST(NumberConversionTest, OnlyTheSourceFieldSetsTheValue) {
    NumberConverter converter;
    EXPECT_FALSE(converter.edit(NumberField::Decimal, "300"));
    converter.focus(NumberField::Decimal);
    EXPECT_TRUE(converter.edit(NumberField::Decimal, "300"));
    EXPECT_EQ(converter.value(), 300);
    // The program rewriting the other fields changes nothing.
    EXPECT_FALSE(
        converter.edit(NumberField::Hexadecimal, converter.text(NumberField::Hexadecimal)));
    EXPECT_EQ(converter.value(), 300);
    EXPECT_EQ(converter.text(NumberField::Hexadecimal), "2C");
}

TEST(NumberConversionTest, NegAndNot) {
    NumberConverter converter;
    converter.focus(NumberField::Hexadecimal);
    converter.edit(NumberField::Hexadecimal, "1");
    converter.negate();
    EXPECT_EQ(converter.text(NumberField::Binary), "11111111");
    converter.setMode(WordMode::Bits16);
    EXPECT_EQ(converter.text(NumberField::Decimal), "65535");
    converter.complement();
    EXPECT_EQ(converter.value(), 0);
    converter.negate();
    EXPECT_EQ(converter.value(), 0);
}

}  // namespace
// Every value written in every field and mode reads back as what the field shows.
TEST(NumberConversionTest, EveryValueReadsBackFromEveryField) {
    for (const WordMode mode : {WordMode::Bits8, WordMode::Bits16}) {
        for (const NumberField field : kNumberFields) {
            for (int value = 0; value <= 0xFFFF; ++value) {
                const auto word = static_cast<std::uint16_t>(value);
                const std::string text = formatField(word, field, mode);
                ASSERT_LE(static_cast<int>(text.size()), fieldLength(field, mode)) << text;
                ASSERT_EQ(parseField(text, field), mode == WordMode::Bits8 ? (word & 0xFF) : word)
                    << text;
            }
        }
    }
}

}  // namespace tarvix
