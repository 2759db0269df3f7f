#include "tools/number_conversion.h"

#include "common/format.h"

namespace tarvix {

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    return 99;
}

}  // namespace

int fieldBase(NumberField field) {
    switch (field) {
        case NumberField::Binary:
            return 2;
        case NumberField::Decimal:
            return 10;
        case NumberField::Hexadecimal:
            return 16;
    }
    return 10;
}

int fieldLength(NumberField field, WordMode mode) {
    const bool wide = mode == WordMode::Bits16;
    switch (field) {
        case NumberField::Binary:
            return wide ? 16 : 8;
        case NumberField::Decimal:
            return wide ? 5 : 3;
        case NumberField::Hexadecimal:
            return wide ? 4 : 2;
    }
    return 0;
}

std::uint16_t parseField(std::string_view text, NumberField field) {
    const int base = fieldBase(field);
    // Arithmetic modulo 10000H gives the low 16 bits of any length of text.
    unsigned value = 0;
    for (const char c : text) {
        const int digit = digitValue(c);
        if (digit >= base) {
            break;
        }
        value = (value * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) & 0xFFFF;
    }
    return static_cast<std::uint16_t>(value);
}

std::string formatField(std::uint16_t value, NumberField field, WordMode mode) {
    const bool wide = mode == WordMode::Bits16;
    const unsigned shown = wide ? value : value & 0xFFu;
    switch (field) {
        case NumberField::Hexadecimal:
            return formatText("%X", shown);
        case NumberField::Decimal:
            return formatText("%u", shown);
        case NumberField::Binary:
            break;
    }
    std::string bits;
    for (int bit = wide ? 15 : 7; bit >= 0; --bit) {
        bits += (shown >> bit) & 1 ? '1' : '0';
    }
    return bits;
}

bool NumberConverter::edit(NumberField field, std::string_view text) {
    if (source_ != field) {
        return false;
    }
    value_ = parseField(text, field);
    return true;
}

}  // namespace tarvix
