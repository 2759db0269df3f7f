// Addition and subtraction at a width with the 8086's six status flags; ADD, SUB, CMP, INC, DEC,
// ADC, SBB, NEG, SCAS and CMPS are all one of these two.
#pragma once

#include <cstdint>

#include "simulator/flag_image.h"

namespace tarvix {

// a + b + carry; CF the carry out of the top bit, AF out of bit 3, OF the signed overflow.
AluResult add(std::uint16_t a, std::uint16_t b, bool carry, int size);

// a - b - borrow; CF the borrow into the top bit, AF into bit 3, OF the signed overflow.
AluResult subtract(std::uint16_t a, std::uint16_t b, bool borrow, int size);

}  // namespace tarvix
