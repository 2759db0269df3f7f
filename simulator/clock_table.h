// How long each instruction takes on an 8086: the clock counts of Intel's instruction timing
// table, looked up once when a line is decoded.
#pragma once

#include <cstdint>

namespace tarvix {

struct DecodedInstruction;

struct InstructionClocks {
    // Always spent: the form's count, with the effective-address time of a memory operand;
    // for a conditional transfer the count when it is not taken.
    std::uint16_t clocks = 0;
    // Spent per unit the executor counts: once when a conditional transfer is taken, per
    // repetition of REPE/REPNE, per bit of a shift or rotate by CL.
    std::uint16_t extra = 0;
};

// The counts of a decoded line; zero for what is not an 8086 instruction (connect, a blank).
InstructionClocks clocksOf(const DecodedInstruction& ins);

// What a word at an odd address costs on the 8086's 16-bit bus, per transfer.
inline constexpr std::uint16_t kOddWordClocks = 4;
// Interrupt acknowledge sequences, which the kit's hardware interrupts go through.
inline constexpr std::uint16_t kNmiClocks = 50;
inline constexpr std::uint16_t kIntrClocks = 61;

}  // namespace tarvix
