#include "tests/differential/instruction_cases.h"

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "common/format.h"
#include "common/operand_text.h"
#include "common/text.h"
#include "simulator/cpu_registers.h"
#include "simulator/flag_image.h"

namespace tarvix::test {

namespace {

using enum Slot;

struct Shape {
    Slot dest;
    Slot source;
    int size;
};

constexpr std::array<Shape, 10> kTwoOperandShapes{{
    {Reg, Imm, 1},
    {Reg, Imm, 2},
    {Reg, Reg, 1},
    {Reg, Reg, 2},
    {Mem, Imm, 1},
    {Mem, Imm, 2},
    {Reg, Mem, 1},
    {Reg, Mem, 2},
    {Mem, Reg, 1},
    {Mem, Reg, 2},
}};

constexpr std::array<Shape, 4> kOneOperandShapes{{
    {Reg, None, 1},
    {Reg, None, 2},
    {Mem, None, 1},
    {Mem, None, 2},
}};

constexpr std::array<Shape, 8> kShiftShapes{{
    {Reg, One, 1},
    {Reg, One, 2},
    {Mem, One, 1},
    {Mem, One, 2},
    {Reg, Cl, 1},
    {Reg, Cl, 2},
    {Mem, Cl, 1},
    {Mem, Cl, 2},
}};

constexpr std::array<Shape, 1> kNoOperand{{{None, None, 0}}};

constexpr std::array<std::string_view, 16> kRepeated{{
    "repe scasb",
    "repe scasw",
    "repe cmpsb",
    "repe cmpsw",
    "repe stosb",
    "repe stosw",
    "repe movsb",
    "repe movsw",
    "repne scasb",
    "repne scasw",
    "repne cmpsb",
    "repne cmpsw",
    "repne stosb",
    "repne stosw",
    "repne movsb",
    "repne movsw",
}};

std::vector<InstructionForm> buildForms(Family family) {
    std::vector<InstructionForm> forms;
    const auto addForms = [&](const auto& names, const auto& shapes) {
        for (const std::string_view name : names) {
            for (const Shape& shape : shapes) {
                forms.push_back({family, std::string(name), shape.dest, shape.source, shape.size});
            }
        }
    };
    switch (family) {
        case Family::Arithmetic:
            addForms(std::array<std::string_view, 5>{"add", "sub", "cmp", "adc", "sbb"},
                     kTwoOperandShapes);
            addForms(std::array<std::string_view, 2>{"inc", "dec"}, kOneOperandShapes);
            break;
        case Family::Logic:
            addForms(std::array<std::string_view, 4>{"and", "or", "xor", "test"},
                     kTwoOperandShapes);
            addForms(std::array<std::string_view, 2>{"not", "neg"}, kOneOperandShapes);
            break;
        case Family::ShiftRotate:
            addForms(std::array<std::string_view, 8>{"shl", "sal", "shr", "sar", "rol", "ror",
                                                     "rcl", "rcr"},
                     kShiftShapes);
            break;
        case Family::MultiplyDivide:
            addForms(std::array<std::string_view, 4>{"mul", "imul", "div", "idiv"},
                     kOneOperandShapes);
            break;
        case Family::Adjust:
            addForms(std::array<std::string_view, 8>{"aaa", "aas", "daa", "das", "aam", "aad",
                                                     "cbw", "cwd"},
                     kNoOperand);
            break;
        case Family::String:
            addForms(std::array<std::string_view, 10>{"scasb", "scasw", "cmpsb", "cmpsw", "stosb",
                                                      "stosw", "lodsb", "lodsw", "movsb", "movsw"},
                     kNoOperand);
            addForms(kRepeated, kNoOperand);
            break;
    }
    return forms;
}

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

struct BaseForm {
    std::string_view first;
    std::string_view second;  // empty for one register
};
constexpr std::array<BaseForm, 8> kBaseForms{{
    {"bx", ""},
    {"si", ""},
    {"di", ""},
    {"bp", ""},
    {"bx", "si"},
    {"bx", "di"},
    {"bp", "si"},
    {"bp", "di"},
}};

int wordCode(std::string_view reg) {
    const RegisterRef ref = registerRef(reg);
    return ref.size == 2 ? ref.code : ref.code & 3;
}

class CaseGenerator {
public:
    CaseGenerator(const InstructionForm& form, std::uint64_t seed) : form_(form), rng_(seed) {}

    DifferentialCase generate(int cases);

private:
    std::uint64_t below(std::uint64_t n) { return rng_() % n; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    template <typename T, std::size_t n>
    const T& pick(const std::array<T, n>& items) {
        return items[below(n)];
    }

    std::string hex(unsigned value);
    std::uint16_t value(int size);
    std::uint16_t flagsWord() {
        return static_cast<std::uint16_t>(below(0x10000) & (0xFFFFu ^ kTrapFlag));
    }
    std::string reg(int size, const std::vector<int>& avoid);
    void load(std::string_view reg, unsigned value) {
        lines_.push_back(formatText("mov %s,%s", std::string(reg).c_str(), hex(value).c_str()));
    }

    void oneCase(int index);
    std::string memoryOperand(int index, std::vector<int>& used);
    void division(std::string_view divisorReg, int size, std::uint16_t& divisor);
    void stringCase();
    void adjustCase();

    const InstructionForm& form_;
    std::mt19937_64 rng_;
    std::vector<std::string> lines_;
    std::array<std::uint8_t, 0x2000 - kCaseFlags> data_{};
};

std::string CaseGenerator::hex(unsigned value) {
    std::string text = formatText(chance(50) ? "%x" : "%X", value);
    if (chance(20)) {
        text.insert(0, "0");
    }
    return text;
}

std::uint16_t CaseGenerator::value(int size) {
    if (chance(30)) {
        return size == 2 ? pick(kWordCorners) : pick(kByteCorners);
    }
    return static_cast<std::uint16_t>(below(size == 2 ? 0x10000 : 0x100));
}

std::string CaseGenerator::reg(int size, const std::vector<int>& avoid) {
    for (;;) {
        const std::string_view name = size == 2 ? pick(kWordRegisters) : pick(kByteRegisters);
        if (std::find(avoid.begin(), avoid.end(), wordCode(name)) == avoid.end()) {
            return std::string(name);
        }
    }
}

// The case's own word at kCaseOperands: a direct address, or a register form whose registers
// are loaded just before (and then kept out of the other operands).
std::string CaseGenerator::memoryOperand(int index, std::vector<int>& used) {
    const auto address = static_cast<unsigned>(kCaseOperands + 2 * index);
    const BaseForm& base = pick(kBaseForms);
    const bool clash = std::any_of(used.begin(), used.end(), [&](int code) {
        return code == wordCode(base.first) ||
               (!base.second.empty() && code == wordCode(base.second));
    });
    if (chance(40) || clash) {
        return "[" + hex(address) + "]";
    }
    const unsigned displacement = chance(50) ? 0u : static_cast<unsigned>(below(0x80));
    unsigned first = address - displacement;
    std::string inner(base.first);
    if (!base.second.empty()) {
        const auto part = static_cast<unsigned>(below(0x800));
        load(base.second, part);
        first -= part;
        inner += "+" + std::string(base.second);
        used.push_back(wordCode(base.second));
    }
    load(base.first, first & 0xFFFF);
    used.push_back(wordCode(base.first));
    return "[" + inner + (displacement != 0 ? "+" + hex(displacement) : "") + "]";
}

// A divisor and a dividend whose quotient fits, so that the case divides; the divide errors
// are the hand-written programs' business.
void CaseGenerator::division(std::string_view divisorReg, int size, std::uint16_t& divisor) {
    const bool isSigned = form_.mnemonic == "idiv";
    do {
        divisor = value(size);
    } while ((divisor & widthMask(size)) == 0);
    const std::uint32_t dividend = fittingDividend(rng_, divisor, isSigned, size);
    if (!divisorReg.empty()) {
        load(divisorReg, divisor);
    }
    if (size == 2) {
        load("dx", dividend >> 16);
    }
    load("ax", dividend & 0xFFFF);
}

void CaseGenerator::oneCase(int index) {
    const int size = form_.size;
    const auto flagsAddress = static_cast<unsigned>(kCaseFlags + 2 * index);
    const std::uint16_t flags = flagsWord();
    data_[flagsAddress - kCaseFlags] = static_cast<std::uint8_t>(flags & 0xFF);
    data_[flagsAddress - kCaseFlags + 1] = static_cast<std::uint8_t>(flags >> 8);
    lines_.push_back((chance(50) ? "push wptr [" : "push [") + hex(flagsAddress) + "]");
    lines_.push_back("popf");

    if (form_.family == Family::Adjust) {
        adjustCase();
        return;
    }
    if (form_.family == Family::String) {
        stringCase();
        return;
    }

    const bool divides = form_.mnemonic == "div" || form_.mnemonic == "idiv";
    const bool multiplies = form_.mnemonic == "mul" || form_.mnemonic == "imul";
    // A divisor in the dividend's registers would fault nearly always.
    const std::vector<int> dividend = divides ? std::vector<int>{0, 2} : std::vector<int>{};
    std::vector<int> used;  // kept out of a memory operand's registers
    std::vector<std::string> operands;
    std::uint16_t memoryValue = value(size);
    std::string destReg;
    if (form_.dest == Reg) {
        destReg = reg(size, dividend);
        used.push_back(wordCode(destReg));
        operands.push_back(destReg);
    }
    std::string sourceReg;
    if (form_.source == Reg) {
        sourceReg = reg(size, {});
        used.push_back(wordCode(sourceReg));
    }
    std::string memory;
    if (form_.dest == Mem || form_.source == Mem) {
        memory = memoryOperand(index, used);
        const bool prefixed = form_.source == Imm || form_.source == None || form_.source == One ||
                              form_.source == Cl || chance(20);
        if (prefixed) {
            // The assembler knows the short size keywords only.
            static constexpr std::array<std::string_view, 2> kBytePrefixes{{"bptr ", "bptr"}};
            static constexpr std::array<std::string_view, 2> kWordPrefixes{{"wptr ", "wptr"}};
            memory = std::string(size == 2 ? pick(kWordPrefixes) : pick(kBytePrefixes)) + memory;
        }
    }
    if (form_.dest == Mem) {
        operands.push_back(memory);
    }

    if (divides) {
        std::uint16_t divisor = 0;
        division(destReg, size, divisor);
        memoryValue = divisor;
    } else {
        if (!destReg.empty()) {
            load(destReg, value(size));
        }
        if (multiplies) {
            load(size == 2 ? "ax" : "al", value(size));
        }
        if (!sourceReg.empty() && sourceReg != destReg) {
            load(sourceReg, value(size));
        }
    }
    const auto operandAddress = static_cast<std::size_t>(kCaseOperands + 2 * index - kCaseFlags);
    data_[operandAddress] = static_cast<std::uint8_t>(memoryValue & 0xFF);
    data_[operandAddress + 1] =
        static_cast<std::uint8_t>(size == 2 ? memoryValue >> 8 : below(0x100));

    switch (form_.source) {
        case Reg:
            operands.push_back(sourceReg);
            break;
        case Mem:
            operands.push_back(memory);
            break;
        case Imm: {
            // Now and then wider than the operation: the kit cuts it to the width.
            const unsigned wide = chance(5) ? static_cast<unsigned>(below(0x10)) << (size * 8) : 0;
            operands.push_back(hex(value(size) | wide));
            break;
        }
        case One:
            operands.push_back(chance(80) ? "1" : "0001");
            break;
        case Cl:
            // SHL CL,CL and SHL CX,CL count by the value just loaded.
            if (destReg != "cl" && destReg != "cx") {
                load("cl", chance(50) ? pick(kCountCorners) : static_cast<unsigned>(below(0x100)));
            }
            operands.push_back(chance(50) ? "cl" : "CL");
            break;
        default:
            break;
    }
    std::string line = form_.mnemonic + " " + operands[0];
    for (std::size_t i = 1; i < operands.size(); ++i) {
        line += (chance(50) ? ", " : ",") + operands[i];
    }
    lines_.push_back(line);
}

void CaseGenerator::adjustCase() {
    const std::uint8_t al =
        chance(50) ? pick(kByteCorners) : static_cast<std::uint8_t>(below(0x100));
    load("ax", static_cast<unsigned>(below(0x100)) << 8 | al);
    if (form_.mnemonic == "cwd") {
        load("dx", value(2));
    }
    lines_.push_back(chance(70) ? form_.mnemonic : toUpper(form_.mnemonic));
}

// SI and DI far enough from the area's ends for 40 word elements either way, below the stack.
void CaseGenerator::stringCase() {
    const auto index = [this] {
        return static_cast<unsigned>(kStringFirst + 0x50 + below(0x1F00 - kStringFirst - 0xA0));
    };
    load("si", index());
    load("di", index());
    const std::uint16_t ax =
        chance(60) ? static_cast<std::uint16_t>(pick(kLetters) | pick(kLetters) << 8) : value(2);
    load("ax", ax);
    if (form_.mnemonic.starts_with("rep")) {
        load("cx",
             chance(30) ? static_cast<unsigned>(below(3)) : static_cast<unsigned>(3 + below(38)));
    }
    lines_.push_back(form_.mnemonic);
}

DifferentialCase CaseGenerator::generate(int cases) {
    for (std::size_t i = kStringFirst - kCaseFlags; i < data_.size(); ++i) {
        data_[i] = chance(80) ? pick(kLetters) : static_cast<std::uint8_t>(below(0x100));
    }
    for (int i = 0; i < std::min(cases, kMaxCasesPerProgram); ++i) {
        oneCase(i);
    }
    lines_.push_back("hlt");
    DifferentialCase program;
    for (const std::string& line : lines_) {
        program.source += "        " + line + "\n";
    }
    program.memory.push_back({kCaseFlags, std::vector<std::uint8_t>(data_.begin(), data_.end())});
    return program;
}

}  // namespace

std::uint32_t fittingDividend(std::mt19937_64& rng, std::uint16_t divisor, bool isSigned,
                              int size) {
    const std::int64_t range = size == 2 ? 0x10000 : 0x100;
    const std::int64_t d = !isSigned   ? divisor & widthMask(size)
                           : size == 2 ? static_cast<std::int16_t>(divisor)
                                       : static_cast<std::int8_t>(divisor);
    const auto draw = [&rng](std::int64_t n) {
        return static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n));
    };
    const std::int64_t quotient = draw(range) - (isSigned ? range / 2 : 0);
    const std::int64_t product = quotient * d;
    // Truncating division leaves the remainder the dividend's sign.
    const std::int64_t remainder = draw(d < 0 ? -d : d);
    const bool negative = product < 0 || (product == 0 && isSigned && draw(2) == 0);
    return static_cast<std::uint32_t>(product + (negative ? -remainder : remainder));
}

std::string_view familyName(Family family) {
    static constexpr std::array<std::string_view, 6> kNames{
        {"arithmetic", "logic", "shift and rotate", "multiply and divide", "adjust", "string"}};
    return kNames[static_cast<std::size_t>(family)];
}

std::span<const InstructionForm> formsOf(Family family) {
    static const std::array<std::vector<InstructionForm>, 6> kForms{
        buildForms(Family::Arithmetic),  buildForms(Family::Logic),
        buildForms(Family::ShiftRotate), buildForms(Family::MultiplyDivide),
        buildForms(Family::Adjust),      buildForms(Family::String)};
    return kForms[static_cast<std::size_t>(family)];
}

std::string formName(const InstructionForm& form) {
    static constexpr std::array<std::string_view, 6> kSlots{{"", "reg", "mem", "imm", "1", "cl"}};
    std::string name = form.mnemonic;
    if (form.dest != None) {
        name += " " + std::string(kSlots[static_cast<std::size_t>(form.dest)]) +
                std::to_string(form.size * 8);
    }
    if (form.source != None) {
        name += "," + std::string(kSlots[static_cast<std::size_t>(form.source)]);
    }
    return name;
}

DifferentialCase generateCases(const InstructionForm& form, std::uint64_t seed, int cases) {
    DifferentialCase program = CaseGenerator(form, seed).generate(cases);
    program.name =
        formatText("%s, seed %llu", formName(form).c_str(), static_cast<unsigned long long>(seed));
    return program;
}

}  // namespace tarvix::test
