// The Hex-Dec-Bin converter's model: one 16-bit value shown in three bases, in 8-bit or
// 16-bit mode. The field the user last entered is the source: its edits set the value and
// rewrite the other two, and the program's own rewrites of those are ignored.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix {

enum class NumberField { Binary = 1, Decimal = 2, Hexadecimal = 4 };
enum class WordMode { Bits8, Bits16 };

inline constexpr std::array<NumberField, 3> kNumberFields{
    NumberField::Hexadecimal, NumberField::Decimal, NumberField::Binary};

int fieldBase(NumberField field);
// Characters a field takes in a mode: 2, 3, 8 in 8-bit mode; 4, 5, 16 in 16-bit mode.
int fieldLength(NumberField field, WordMode mode);

// The text as an unsigned number in the field's base up to the first character that is no
// digit of it (upper or lower case), kept to 16 bits; an empty text is 0.
std::uint16_t parseField(std::string_view text, NumberField field);

// The value, to its low byte in 8-bit mode: hexadecimal upper case, decimal, and binary padded
// with zeros to 8 or 16 digits.
std::string formatField(std::uint16_t value, NumberField field, WordMode mode);

class NumberConverter {
public:
    std::uint16_t value() const { return value_; }
    WordMode mode() const { return mode_; }
    void setMode(WordMode mode) { mode_ = mode; }

    // A field took the focus and becomes the source.
    void focus(NumberField field) { source_ = field; }
    std::optional<NumberField> source() const { return source_; }

    // A field's text changed. True when it is the source: the value is now its text's, and
    // the other fields need rewriting.
    bool edit(NumberField field, std::string_view text);

    void negate() { value_ = static_cast<std::uint16_t>(-value_); }
    void complement() { value_ = static_cast<std::uint16_t>(~value_); }

    std::string text(NumberField field) const { return formatField(value_, field, mode_); }

private:
    std::uint16_t value_ = 0;
    WordMode mode_ = WordMode::Bits8;
    std::optional<NumberField> source_;
};

}  // namespace tarvix
