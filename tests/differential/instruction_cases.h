// Programs that try one instruction form over and over: each case loads random input flags
// through POPF and random operands (corner values among them), then runs the instruction, so
// that the lockstep comparison judges every result register, memory byte and flag.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

enum class Family { Arithmetic, Logic, ShiftRotate, MultiplyDivide, Adjust, String };

// What an operand is: a register, a memory reference, an immediate, the count 1 or CL.
enum class Slot { None, Reg, Mem, Imm, One, Cl };

struct InstructionForm {
    Family family = Family::Arithmetic;
    std::string mnemonic;  // "add", "shl", "repne scasb"
    Slot dest = Slot::None;
    Slot source = Slot::None;
    int size = 0;  // 1 or 2 bytes; 0 when the mnemonic says it
};

std::string_view familyName(Family family);

// Every mnemonic of the family with every operand form and width the kit and the assembler
// accept.
std::span<const InstructionForm> formsOf(Family family);

std::string formName(const InstructionForm& form);

// Where the programs keep their data; the code stays below kCaseFlags.
inline constexpr std::uint16_t kCaseFlags = 0x1B00;     // a FLAGS word a case
inline constexpr std::uint16_t kCaseOperands = 0x1C00;  // a memory operand word a case
inline constexpr std::uint16_t kStringFirst = 0x1D00;   // the string instructions' elements
inline constexpr int kMaxCasesPerProgram = 120;

// `cases` cases of the form (at most kMaxCasesPerProgram); the same seed gives the same
// program everywhere.
DifferentialCase generateCases(const InstructionForm& form, std::uint64_t seed, int cases);

// A random dividend (AX, or DX:AX for a word) that DIV or IDIV divides by `divisor` without a
// divide error; the divisor, taken at the width, must not be 0.
std::uint32_t fittingDividend(std::mt19937_64& rng, std::uint16_t divisor, bool isSigned, int size);

}  // namespace tarvix::test
