// The status flags of the kit's operations and the one rule by which every arithmetic, logic,
// shift, multiply, adjust and compare executor stores FLAGS.
//
// Flags the 8086 leaves undefined take the values Unicorn's processor model gives them, so
// that a student comparing the kit with a PC sees the same word:
//   AND, OR, XOR, TEST            AF = 0
//   SHL, SHR, SAR                 AF = 0; OF for counts above 1: SHL top bit of the result XOR
//                                 CF, SHR and SAR 0; CF for counts of the width or more: the
//                                 last bit shifted out, so 0 beyond the operand (SAR: its sign)
//   ROL, ROR                      OF for counts above 1: as for a count of 1
//   RCL, RCR                      OF for counts above 1: top bit of the operand XOR top bit of
//                                 the result; a count that is a multiple of w + 1 changes no flag
//   MUL, IMUL                     SF, ZF, PF from AL (byte) or AX (word); AF = 0
//   DIV, IDIV                     all six as they were
//   AAA, AAS                      OF, SF, ZF, PF as they were
//   DAA, DAS                      OF = 0
//   AAM, AAD                      OF = AF = CF = 0
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "simulator/cpu_registers.h"

namespace tarvix {

inline constexpr std::uint16_t kStatusFlags =
    kCarryFlag | kParityFlag | kAuxCarryFlag | kZeroFlag | kSignFlag | kOverflowFlag;

// An operation's result and its status flags (the other bits of `status` are ignored).
struct AluResult {
    std::uint16_t value = 0;
    std::uint16_t status = 0;
};

// Operand sizes are in bytes, as registerSize and pointerSize give them.
constexpr std::uint16_t widthMask(int size) {
    return size == 2 ? 0xFFFF : 0x00FF;
}
constexpr std::uint16_t topBit(int size) {
    return size == 2 ? 0x8000 : 0x0080;
}

namespace detail {

// PF of every byte, looked up: a population count is a library call on the baseline x86-64.
constexpr std::array<std::uint16_t, 256> parityTable() {
    std::array<std::uint16_t, 256> parity{};
    for (unsigned value = 0; value < parity.size(); ++value) {
        parity[value] = std::popcount(value) % 2 == 0 ? kParityFlag : 0;
    }
    return parity;
}

inline constexpr std::array<std::uint16_t, 256> kParity = parityTable();

}  // namespace detail

// ZF and SF of a result at the width, and PF of its low byte.
inline std::uint16_t resultFlags(std::uint16_t value, int size) {
    std::uint16_t flags = 0;
    if ((value & widthMask(size)) == 0) {
        flags |= kZeroFlag;
    }
    if ((value & topBit(size)) != 0) {
        flags |= kSignFlag;
    }
    return static_cast<std::uint16_t>(flags | detail::kParity[value & 0xFF]);
}

// The FLAGS word an operation leaves: its status flags; TF, DF and bit 14 as they were; bit 1
// set; bits 3, 5, 12, 13 and 15 clear. IF is stored apart, see storeFlags.
inline std::uint16_t flagImage(std::uint16_t before, std::uint16_t status) {
    constexpr std::uint16_t kKeptBits = kTrapFlag | kDirectionFlag | 0x4000;
    constexpr std::uint16_t kAlwaysSet = 0x0002;
    return static_cast<std::uint16_t>((status & kStatusFlags) | (before & kKeptBits) | kAlwaysSet);
}

// Stores FLAGS by the rule; no arithmetic or logic instruction changes IF.
inline void storeFlags(CpuRegisters& regs, std::uint16_t status) {
    regs.loadFlagsKeepIF(flagImage(regs.FLAGS, status));
}

}  // namespace tarvix
