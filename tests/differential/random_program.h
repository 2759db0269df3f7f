// Seeded random kit programs: cases of every instruction form (instruction_cases.h) strung
// together by forward jumps, loops, calls, pushes and pops and data lines, in the spellings the
// kit reads. They always halt: jumps go forward, a loop counts CX down from at most 4 and its
// body saves CX, and a procedure calls only those before it.
#pragma once

#include <cstdint>

#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

// The same seed gives the same program on every platform.
DifferentialCase generateProgram(std::uint64_t seed, int procedures);

}  // namespace tarvix::test
