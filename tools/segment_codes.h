// Seven-segment codes: segment a is bit 0 through g at bit 6 and the decimal point h at bit 7;
// a lit segment is a 1 bit.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarvix {

inline constexpr int kSegmentCount = 8;
inline constexpr std::array<char, kSegmentCount> kSegmentNames{'a', 'b', 'c', 'd',
                                                               'e', 'f', 'g', 'h'};

// The lit-high code of each hexadecimal digit 0 to F.
std::uint8_t digitSegmentCode(int digit);

// "Num Code\n" and a "%2X  %02X\n" line per digit.
std::string digitTableText();

// The code of the lit segments, index 0 being segment a.
std::uint8_t segmentCode(const std::array<bool, kSegmentCount>& lit);

// A display's digits as read aloud: each as the hexadecimal digit, "-" or blank (a space) its
// lit segments draw, a lit point adding "."; any other pattern as its code, "[76H]".
std::string displayText(std::span<const std::uint8_t> codes);

std::string codeHexText(std::uint8_t code);     // "07 H"
std::string codeBinaryText(std::uint8_t code);  // "00000111 B"

}  // namespace tarvix
