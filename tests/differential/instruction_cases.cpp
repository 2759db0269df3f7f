#include "tests/differential/instruction_cases.h"

#include <algorithm>

#include "common/format.h"
#include "common/operand_text.h"
#include "common/text.h"
#include "simulator/cpu_registers.h"
#include "simulator/flag_image.h"

namespace tarvix::test {

namespace {

using enum Slot;

// Values where flags change their mind, and BCD digits at their limits.
constexpr std::array<std::uint16_t, 10> kWordCorners{
    {0x0000, 0x0001, 0x007F, 0x0080, 0x00FF, 0x7FFF, 0x8000, 0xFFFF, 0x0100, 0xFF00}};
constexpr std::array<std::uint8_t, 13> kByteCorners{
    {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x09, 0x0A, 0x0F, 0x10, 0x99, 0x9A, 0xF9, 0xFA}};
constexpr std::array<std::uint8_t, 10> kCountCorners{
    {0x00, 0x01, 0x07, 0x08, 0x09, 0x10, 0x11, 0x1F, 0x20, 0x21}};
// Few letters, so that compares and scans meet equal elements often.
constexpr std::array<std::uint8_t, 3> kLetters{{0x41, 0x42, 0x43}};

constexpr std::array<std::string_view, 8> kByteRegisters{
    {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"}};
// SP holds the stack the cases' POPF needs.
constexpr std::array<std::string_view, 7> kWordRegisters{
    {"ax", "cx", "dx", "bx", "bp", "si", "di"}};

// Displacements where the encoding changes its width, or wraps around.
constexpr std::array<int, 9> kDisplacementCorners{
    {0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFF7F, 0xFF80, -0x80, -0x81}};

// The base registers of a memory operand: one, or a base and an index.
constexpr std::array<std::string_view, 8> kBaseForms{
    {"bx", "si", "di", "bp", "bx+si", "bx+di", "bp+si", "bp+di"}};

template <typename T, std::size_t n>
const T& pick(std::mt19937_64& rng, const std::array<T, n>& items) {
    return items[rng() % n];
}

int wordCode(std::string_view reg) {
    const RegisterRef ref = registerRef(reg);
    return ref.size == 2 ? ref.code : ref.code & 3;
}

// A random dividend (AX, or DX:AX for a word) that DIV or IDIV divides by `divisor` without a
// divide error; the divisor, taken at the width, must not be 0.
std::uint32_t fittingDividend(std::mt19937_64& rng, std::uint16_t divisor, bool isSigned,
                              int size) {
    const std::uint64_t range = size == 2 ? 0x10000 : 0x100;
    const std::int64_t d = !isSigned   ? divisor & widthMask(size)
                           : size == 2 ? static_cast<std::int16_t>(divisor)
                                       : static_cast<std::int8_t>(divisor);
    const std::int64_t quotient =
        static_cast<std::int64_t>(rng() % range - (isSigned ? range / 2 : 0));
    // Truncating division leaves the remainder the dividend's sign.
    const bool negative = quotient * d < 0 || (quotient == 0 && isSigned && rng() % 2 == 0);
    const auto remainder =
        static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(d < 0 ? -d : d));
    return static_cast<std::uint32_t>(quotient * d + (negative ? -remainder : remainder));
}

}  // namespace

CaseWriter::CaseWriter(std::uint64_t seed) : rng_(seed) {
    for (std::size_t i = kStringFirst - kCaseFlags; i < data_.size(); ++i) {
        data_[i] = chance(80) ? pick(rng_, kLetters) : static_cast<std::uint8_t>(below(0x100));
    }
}

std::string CaseWriter::hex(unsigned value) {
    std::string text = formatText(chance(50) ? "%x" : "%X", value);
    if (chance(20)) {
        text.insert(0, "0");
    }
    return text;
}

std::uint16_t CaseWriter::value(int size) {
    if (chance(30)) {
        return size == 2 ? pick(rng_, kWordCorners) : pick(rng_, kByteCorners);
    }
    return static_cast<std::uint16_t>(below(size == 2 ? 0x10000 : 0x100));
}

std::string CaseWriter::reg(int size, const std::vector<int>& avoid) {
    for (;;) {
        const std::string_view name =
            size == 2 ? pick(rng_, kWordRegisters) : pick(rng_, kByteRegisters);
        if (std::find(avoid.begin(), avoid.end(), wordCode(name)) == avoid.end()) {
            return std::string(name);
        }
    }
}

void CaseWriter::load(std::string_view reg, unsigned value) {
    lines_.push_back(formatText("mov %s,%s", std::string(reg).c_str(), hex(value).c_str()));
}

void CaseWriter::setWord(unsigned address, std::uint16_t word) {
    data_[address - kCaseFlags] = static_cast<std::uint8_t>(word & 0xFF);
    data_[address - kCaseFlags + 1] = static_cast<std::uint8_t>(word >> 8);
}

// The case's own word at kCaseOperands: a direct address, or a register form whose registers
// are loaded just before (and then kept out of the other operands), with no displacement or
// an 8-bit, 16-bit or negative one, the widths' boundaries among them.
std::string CaseWriter::memoryOperand(int index, std::vector<int>& used) {
    const auto address = static_cast<unsigned>(kCaseOperands + 2 * index);
    const std::string_view base = pick(rng_, kBaseForms);
    const std::string_view first = base.substr(0, base.find('+'));
    const std::string_view second = base.substr(std::min(base.size(), first.size() + 1));
    const auto clashes = [&used](std::string_view reg) {
        return !reg.empty() && std::find(used.begin(), used.end(), wordCode(reg)) != used.end();
    };
    if (chance(30) || clashes(first) || clashes(second)) {
        return "[" + hex(address) + "]";
    }
    // A negative displacement only after a single register.
    int displacement = chance(20)   ? 0
                       : chance(40) ? pick(rng_, kDisplacementCorners)
                       : chance(50) ? static_cast<int>(below(0x100)) - 0x80
                                    : static_cast<int>(below(0x800));
    if (displacement < 0 && !second.empty()) {
        displacement = -displacement;
    }
    auto value = static_cast<unsigned>(static_cast<int>(address) - displacement);
    if (!second.empty()) {
        const auto part = static_cast<unsigned>(below(0x800));
        load(second, part);
        value -= part;
        used.push_back(wordCode(second));
    }
    load(first, value & 0xFFFF);
    used.push_back(wordCode(first));
    const std::string written = displacement == 0  ? ""
                                : displacement < 0 ? "-" + hex(static_cast<unsigned>(-displacement))
                                                   : "+" + hex(static_cast<unsigned>(displacement));
    return "[" + std::string(base) + written + "]";
}

std::vector<std::string> CaseWriter::write(const InstructionForm& form, int index) {
    lines_.clear();
    const auto flagsAddress = static_cast<unsigned>(kCaseFlags + 2 * index);
    // Any FLAGS value but the trap flag, whose single-step interrupt a processor would take.
    setWord(flagsAddress, static_cast<std::uint16_t>(below(0x10000) & (0xFFFFu ^ kTrapFlag)));
    lines_.push_back((chance(50) ? "push wptr [" : "push [") + hex(flagsAddress) + "]");
    lines_.push_back("popf");
    if (form.dest == None) {
        noOperandCase(form);
    } else {
        operandCase(form, index);
    }
    return lines_;
}

void CaseWriter::operandCase(const InstructionForm& form, int index) {
    const int size = form.size;
    const bool divides = form.mnemonic.ends_with("div");
    std::vector<int> used;  // kept out of a memory operand's registers
    std::vector<std::string> registers;
    std::vector<std::string> operands;
    for (const Slot slot : {form.dest, form.source}) {
        if (slot == Reg) {
            // A divisor in the dividend's registers would fault nearly always.
            registers.push_back(reg(size, divides ? std::vector{0, 2} : std::vector<int>{}));
            used.push_back(wordCode(registers.back()));
            operands.push_back(registers.back());
        } else if (slot == Imm) {
            // Now and then wider than the operation: the kit cuts it to the width.
            const unsigned wide = chance(5) ? static_cast<unsigned>(below(0x10)) << (size * 8) : 0;
            operands.push_back(hex(value(size) | wide));
        } else if (slot == One) {
            operands.push_back(chance(80) ? "1" : "0001");
        } else if (slot == Cl) {
            operands.push_back(chance(50) ? "cl" : "CL");
        }
    }
    if (form.dest == Mem || form.source == Mem) {
        std::string memory = memoryOperand(index, used);
        if ((form.dest == Mem && form.source != Reg) || chance(20)) {
            // The assembler knows the short size keywords only.
            memory = std::string(size == 2 ? "wptr" : "bptr") + (chance(80) ? " " : "") + memory;
        }
        operands.insert(form.dest == Mem ? operands.begin() : operands.end(), memory);
    }
    // The register and memory operands' values; a divisor, and a dividend whose quotient fits,
    // as the divide errors are the hand-written programs' business.
    std::uint16_t operand = value(size);
    while (divides && (operand & widthMask(size)) == 0) {
        operand = value(size);
    }
    for (const std::string& r : registers) {
        load(r, divides ? operand : value(size));
    }
    if (divides) {
        const std::uint32_t dividend =
            fittingDividend(rng_, operand, form.mnemonic == "idiv", size);
        if (size == 2) {
            load("dx", dividend >> 16);
        }
        load("ax", dividend & 0xFFFF);
    } else if (form.mnemonic.ends_with("mul")) {
        load(size == 2 ? "ax" : "al", value(size));
    } else if (form.source == Cl) {
        load("cl", chance(50) ? pick(rng_, kCountCorners) : static_cast<unsigned>(below(0x100)));
    }
    setWord(static_cast<unsigned>(kCaseOperands + 2 * index),
            size == 2 ? operand : static_cast<std::uint16_t>(below(0x100) << 8 | operand));
    std::string line = form.mnemonic + " " + operands[0];
    for (std::size_t i = 1; i < operands.size(); ++i) {
        line += (chance(50) ? ", " : ",") + operands[i];
    }
    lines_.push_back(line);
}

void CaseWriter::noOperandCase(const InstructionForm& form) {
    if (form.mnemonic.ends_with("sb") || form.mnemonic.ends_with("sw")) {
        // SI and DI far enough from the area's ends for 40 word elements either way.
        for (const char* index : {"si", "di"}) {
            load(index,
                 static_cast<unsigned>(kStringFirst + 0x50 + below(0x1F00 - kStringFirst - 0xA0)));
        }
        load("ax", chance(60)
                       ? static_cast<unsigned>(pick(rng_, kLetters) | pick(rng_, kLetters) << 8)
                       : value(2));
        if (form.mnemonic.starts_with("rep")) {
            load("cx", chance(30) ? static_cast<unsigned>(below(3))
                                  : static_cast<unsigned>(3 + below(38)));
        }
    } else if (form.mnemonic == "xlat") {
        load("bx", static_cast<unsigned>(kStringFirst + below(0x100)));
        load("ax", value(2));
    } else {
        const std::uint8_t al =
            chance(50) ? pick(rng_, kByteCorners) : static_cast<std::uint8_t>(below(0x100));
        load("ax", static_cast<unsigned>(below(0x100)) << 8 | al);
        if (form.mnemonic == "cwd") {
            load("dx", value(2));
        }
    }
    lines_.push_back(chance(70) ? form.mnemonic : toUpper(form.mnemonic));
}

const std::vector<FormFamily>& formFamilies() {
    static const std::vector<FormFamily> kFamilies = [] {
        using Slots = std::vector<std::pair<Slot, Slot>>;
        const Slots twoOperands{{Reg, Imm}, {Reg, Reg}, {Mem, Imm}, {Reg, Mem}, {Mem, Reg}};
        const Slots oneOperand{{Reg, None}, {Mem, None}};
        const Slots noOperand{{None, None}};
        std::vector<FormFamily> families;
        // Each slot pair at both widths.
        const auto add = [&families](const std::vector<std::string>& names, const Slots& slots) {
            for (const std::string& name : names) {
                for (const auto& [dest, source] : slots) {
                    for (const int size : dest == None ? std::vector{0} : std::vector{1, 2}) {
                        families.back().forms.push_back({name, dest, source, size});
                    }
                }
            }
        };
        families.push_back({"transfer", 120, {}});
        add({"mov"}, twoOperands);
        add({"xchg"}, {{Reg, Reg}, {Reg, Mem}, {Mem, Reg}});
        add({"xlat", "clc", "stc", "cmc", "cld", "std", "cli", "sti", "nop"}, noOperand);
        families.push_back({"arithmetic", 400, {}});
        add({"add", "sub", "cmp", "adc", "sbb"}, twoOperands);
        add({"inc", "dec"}, oneOperand);
        families.push_back({"logic", 400, {}});
        add({"and", "or", "xor", "test"}, twoOperands);
        add({"not", "neg"}, oneOperand);
        families.push_back({"shift_rotate", 400, {}});
        add({"shl", "sal", "shr", "sar", "rol", "ror", "rcl", "rcr"},
            {{Reg, One}, {Mem, One}, {Reg, Cl}, {Mem, Cl}});
        families.push_back({"multiply_divide", 800, {}});
        add({"mul", "imul", "div", "idiv"}, oneOperand);
        families.push_back({"adjust", 2000, {}});
        add({"aaa", "aas", "daa", "das", "aam", "aad", "cbw", "cwd"}, noOperand);
        // A repeated LODS is refused; its case is a hand-written program's.
        families.push_back({"string", 480, {}});
        add({"scasb", "scasw", "cmpsb", "cmpsw", "stosb", "stosw", "movsb", "movsw", "lodsb",
             "lodsw"},
            noOperand);
        add({"repe scasb", "repe scasw", "repe cmpsb", "repe cmpsw", "repe stosb", "repe stosw",
             "repe movsb", "repe movsw", "repne scasb", "repne scasw", "repne cmpsb", "repne cmpsw",
             "repne stosb", "repne stosw", "repne movsb", "repne movsw"},
            noOperand);
        return families;
    }();
    return kFamilies;
}

DifferentialCase generateCases(const InstructionForm& form, std::uint64_t seed, int cases) {
    CaseWriter writer(seed);
    DifferentialCase program;
    for (int i = 0; i < std::min(cases, kMaxCasesPerProgram); ++i) {
        for (const std::string& line : writer.write(form, i)) {
            program.source += "        " + line + "\n";
        }
    }
    program.source += "        hlt\n";
    program.dataAddress = kCaseFlags;
    program.data = writer.data();
    program.name = form.mnemonic + formatText(", seed %llu", static_cast<unsigned long long>(seed));
    return program;
}

}  // namespace tarvix::test
