// Programs for the differential: instruction forms tried case by case, and random whole
// programs made of such cases. Each case loads random input flags through POPF and random
// operands (corner values among them), then runs the instruction, so that the lockstep
// comparison judges every result register, memory byte and flag. A case sets up all it reads,
// so cases may follow each other in any order, in loops and procedures too.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

// What an operand is: a register, a memory reference, an immediate, the count 1 or CL.
enum class Slot { None, Reg, Mem, Imm, One, Cl };

struct InstructionForm {
    std::string mnemonic;  // "add", "shl", "repne scasb"
    Slot dest = Slot::None;
    Slot source = Slot::None;
    int size = 0;  // 1 or 2 bytes; 0 when the mnemonic says it
};

// Every mnemonic of a family with every operand form and width the kit accepts.
struct FormFamily {
    std::string name;
    int casesPerForm = 0;  // a few thousand cases a mnemonic, within the suite's time
    std::vector<InstructionForm> forms;
};

const std::vector<FormFamily>& formFamilies();

// Where the cases keep their data; the code stays below kCaseFlags.
inline constexpr std::uint16_t kCaseFlags = 0x1B00;     // a FLAGS word a case
inline constexpr std::uint16_t kCaseOperands = 0x1C00;  // a memory operand word a case
inline constexpr std::uint16_t kStringFirst = 0x1D00;   // string elements, XLAT's table
inline constexpr int kMaxCasesPerProgram = 120;

// The cases of one program; the same seed gives the same cases everywhere.
class CaseWriter {
public:
    explicit CaseWriter(std::uint64_t seed);

    // Case `index` (each index once, below kMaxCasesPerProgram) of `form`, as source lines.
    std::vector<std::string> write(const InstructionForm& form, int index);
    // The cases' FLAGS words, memory operands and string elements, to load at kCaseFlags.
    std::vector<std::uint8_t> data() const { return {data_.begin(), data_.end()}; }
    std::mt19937_64& random() { return rng_; }

private:
    std::uint64_t below(std::uint64_t n) { return rng_() % n; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    std::string hex(unsigned value);
    std::uint16_t value(int size);
    std::string reg(int size, const std::vector<int>& avoid);
    void load(std::string_view reg, unsigned value);
    void setWord(unsigned address, std::uint16_t word);
    std::string memoryOperand(int index, std::vector<int>& used);
    void operandCase(const InstructionForm& form, int index);
    void noOperandCase(const InstructionForm& form);

    std::mt19937_64 rng_;
    std::vector<std::string> lines_;
    std::array<std::uint8_t, 0x2000 - kCaseFlags> data_{};
};

// `cases` cases of the form (at most kMaxCasesPerProgram), then HLT.
DifferentialCase generateCases(const InstructionForm& form, std::uint64_t seed, int cases);

// Cases of random forms strung together by forward jumps, loops, calls, pushes and pops and
// data lines (random_program.cpp). They always halt: jumps go forward, a loop counts CX down
// from at most 4 and its body saves CX, and a procedure calls only those before it. The same
// seed gives the same program on every platform.
DifferentialCase generateProgram(std::uint64_t seed, int procedures);

}  // namespace tarvix::test
