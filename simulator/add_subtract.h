// Addition and subtraction at a width with the 8086's six status flags; ADD, SUB, CMP, INC, DEC,
// ADC, SBB, NEG, SCAS and CMPS are all one of these two. Inline: nearly every instruction of
// a program comes here.
#pragma once

#include <cstdint>

#include "simulator/flag_image.h"

namespace tarvix {

namespace detail {

// The flags both share: bit 4 of a ^ b ^ result is the carry or borrow across bit 3.
inline std::uint16_t commonFlags(unsigned a, unsigned b, unsigned wide, int size) {
    const auto result = static_cast<std::uint16_t>(wide & widthMask(size));
    std::uint16_t flags = resultFlags(result, size);
    if (((a ^ b ^ wide) & 0x10) != 0) {
        flags |= kAuxCarryFlag;
    }
    if ((wide & (widthMask(size) + 1u)) != 0) {
        flags |= kCarryFlag;
    }
    return flags;
}

}  // namespace detail

// a + b + carry; CF the carry out of the top bit, AF out of bit 3, OF the signed overflow.
inline AluResult add(std::uint16_t a, std::uint16_t b, bool carry, int size) {
    const unsigned mask = widthMask(size);
    const unsigned x = a & mask;
    const unsigned y = b & mask;
    const unsigned wide = x + y + (carry ? 1u : 0u);
    std::uint16_t flags = detail::commonFlags(x, y, wide, size);
    if (((x ^ wide) & (y ^ wide) & topBit(size)) != 0) {
        flags |= kOverflowFlag;
    }
    return {static_cast<std::uint16_t>(wide & mask), flags};
}

// a - b - borrow; CF the borrow into the top bit, AF into bit 3, OF the signed overflow.
inline AluResult subtract(std::uint16_t a, std::uint16_t b, bool borrow, int size) {
    const unsigned mask = widthMask(size);
    const unsigned x = a & mask;
    const unsigned y = b & mask;
    // Below zero the difference wraps, which sets the bit above the width: the borrow.
    const unsigned wide = (x - y - (borrow ? 1u : 0u)) & (mask * 2 + 1);
    std::uint16_t flags = detail::commonFlags(x, y, wide, size);
    if (((x ^ y) & (x ^ wide) & topBit(size)) != 0) {
        flags |= kOverflowFlag;
    }
    return {static_cast<std::uint16_t>(wide & mask), flags};
}

}  // namespace tarvix
