// Text operations on a template's bit pattern while a statement is encoded: its fields are
// filled with binary digits, in place and without heap strings.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarvix {

// Writes `bits` over every occurrence of a field name, left to right, never looking into what
// it wrote. In place: a pattern is a few dozen characters, and the statement keeps its
// pattern's capacity from one line to the next, so filling allocates nothing.
void fillField(std::string& pattern, std::string_view field, std::string_view bits);

// Binary digits for a field: at most an r/m field's three bits and a displacement word.
class BitText {
public:
    // Appends the low `digits` bits of the value, most significant first.
    BitText& bits(unsigned value, std::size_t digits);
    // Appends 16 bits, low byte first, as the 8086 stores words.
    BitText& word(unsigned value) { return bits(value & 0xFFu, 8).bits(value >> 8u, 8); }

    std::string_view view() const { return {digits_.data(), size_}; }

private:
    std::array<char, 24> digits_{};
    std::size_t size_ = 0;
};

}  // namespace tarvix
