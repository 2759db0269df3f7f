// Seeded random kit programs of data transfers, flag instructions, jumps, loops and calls that
// always halt and stay inside what the kit and a processor do alike: memory operands inside
// the data area, a balanced stack that never leaves its area, and loops with bounded counts.
#pragma once

#include <cstdint>
#include <string>

#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

// Where generated programs keep their things. Code starts at 1000H and stays below kDataFirst.
inline constexpr std::uint16_t kDataFirst = 0x1700;   // random initial bytes from here
inline constexpr std::uint16_t kStackFloor = 0x1F00;  // memory operands stay below it
inline constexpr int kMaxStackWords = 64;             // SP never goes below 2000H - 80H

struct GeneratorOptions {
    int mainStatements = 36;
    int procedures = 3;
};

// The same seed gives the same program on every platform.
DifferentialCase generateProgram(std::uint64_t seed, const GeneratorOptions& options = {});

}  // namespace tarvix::test
