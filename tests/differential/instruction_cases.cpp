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

// Operand slots, each tried at both widths.
using Slots = std::vector<std::pair<Slot, Slot>>;
using Names = std::vector<std::string_view>;

std::vector<InstructionForm> buildForms(Family family) {
    const Slots twoOperands{{Reg, Imm}, {Reg, Reg}, {Mem, Imm}, {Reg, Mem}, {Mem, Reg}};
    const Slots oneOperand{{Reg, None}, {Mem, None}};
    std::vector<InstructionForm> forms;
    const auto add = [&](const Names& names, const Slots& slots) {
        for (const std::string_view name : names) {
            for (const auto& [dest, source] : slots) {
                for (const int size : dest == None ? std::vector<int>{0} : std::vector<int>{1, 2}) {
                    forms.push_back({family, std::string(name), dest, source, size});
                }
            }
        }
    };
    switch (family) {
        case Family::Transfer:
            add({"mov"}, twoOperands);
            add({"xchg"}, {{Reg, Reg}, {Reg, Mem}, {Mem, Reg}});
            add({"xlat", "clc", "stc", "cmc", "cld", "std", "cli", "sti", "nop"}, {{None, None}});
            break;
        case Family::Arithmetic:
            add({"add", "sub", "cmp", "adc", "sbb"}, twoOperands);
            add({"inc", "dec"}, oneOperand);
            break;
        case Family::Logic:
            add({"and", "or", "xor", "test"}, twoOperands);
            add({"not", "neg"}, oneOperand);
            break;
        case Family::ShiftRotate:
            add({"shl", "sal", "shr", "sar", "rol", "ror", "rcl", "rcr"},
                {{Reg, One}, {Mem, One}, {Reg, Cl}, {Mem, Cl}});
            break;
        case Family::MultiplyDivide:
            add({"mul", "imul", "div", "idiv"}, oneOperand);
            break;
        case Family::Adjust:
            add({"aaa", "aas", "daa", "das", "aam", "aad", "cbw", "cwd"}, {{None, None}});
            break;
        case Family::String: {
            const Names strings{"scasb", "scasw", "cmpsb", "cmpsw", "stosb",
                                "stosw", "movsb", "movsw", "lodsb", "lodsw"};
            add(strings, {{None, None}});
            // A repeated LODS is refused; its case is a hand-written program's.
            for (const std::string_view prefix : {"repe ", "repne "}) {
                for (std::size_t i = 0; i + 2 < strings.size(); ++i) {
                    add({std::string(prefix) + std::string(strings[i])}, {{None, None}});
                }
            }
            break;
        }
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

// Displacements where the encoding changes its width, or wraps around.
constexpr std::array<int, 9> kDisplacementCorners{
    {0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFF7F, 0xFF80, -0x80, -0x81}};

// The base registers of a memory operand: one, or a base and an index.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kBaseForms{{{"bx", ""},
                                                                                   {"si", ""},
                                                                                   {"di", ""},
                                                                                   {"bp", ""},
                                                                                   {"bx", "si"},
                                                                                   {"bx", "di"},
                                                                                   {"bp", "si"},
                                                                                   {"bp", "di"}}};

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
    const auto& base = pick(rng_, kBaseForms);
    const bool clash = std::any_of(used.begin(), used.end(), [&](int code) {
        return code == wordCode(base.first) ||
               (!base.second.empty() && code == wordCode(base.second));
    });
    if (chance(30) || clash) {
        return "[" + hex(address) + "]";
    }
    int displacement = 0;
    switch (below(5)) {
        case 0:
            break;
        case 1:
            displacement = static_cast<int>(below(0x80));
            break;
        case 2:
            displacement = static_cast<int>(0x80 + below(0x780));
            break;
        case 3:
            displacement = -1 - static_cast<int>(below(0x80));
            break;
        default:
            displacement = pick(rng_, kDisplacementCorners);
            break;
    }
    const bool negative = displacement < 0 && base.second.empty();
    const int written = displacement < 0 && !negative ? -displacement : displacement;
    auto first = static_cast<unsigned>(static_cast<int>(address) - written);
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
    if (written != 0) {
        inner += (negative ? "-" : "+") + hex(static_cast<unsigned>(negative ? -written : written));
    }
    return "[" + inner + "]";
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
    const bool divides = form.mnemonic == "div" || form.mnemonic == "idiv";
    const bool multiplies = form.mnemonic == "mul" || form.mnemonic == "imul";
    // A divisor in the dividend's registers would fault nearly always.
    const std::vector<int> dividendRegs = divides ? std::vector<int>{0, 2} : std::vector<int>{};
    std::vector<int> used;  // kept out of a memory operand's registers
    std::vector<std::string> operands;
    std::uint16_t memoryValue = value(size);
    std::string destReg;
    if (form.dest == Reg) {
        destReg = reg(size, dividendRegs);
        used.push_back(wordCode(destReg));
        operands.push_back(destReg);
    }
    std::string sourceReg;
    if (form.source == Reg) {
        sourceReg = reg(size, {});
        used.push_back(wordCode(sourceReg));
    }
    std::string memory;
    if (form.dest == Mem || form.source == Mem) {
        memory = memoryOperand(index, used);
        if ((form.dest == Mem && form.source != Reg) || chance(20)) {
            // The assembler knows the short size keywords only.
            memory = std::string(size == 2 ? "wptr" : "bptr") + (chance(80) ? " " : "") + memory;
        }
    }
    if (form.dest == Mem) {
        operands.push_back(memory);
    }

    if (divides) {
        // A divisor and a dividend whose quotient fits: the divide errors are the hand-written
        // programs' business.
        std::uint16_t divisor = 0;
        while ((divisor & widthMask(size)) == 0) {
            divisor = value(size);
        }
        const std::uint32_t dividend =
            fittingDividend(rng_, divisor, form.mnemonic == "idiv", size);
        if (!destReg.empty()) {
            load(destReg, divisor);
        }
        if (size == 2) {
            load("dx", dividend >> 16);
        }
        load("ax", dividend & 0xFFFF);
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
    const auto operandAddress = static_cast<unsigned>(kCaseOperands + 2 * index);
    setWord(operandAddress,
            size == 2 ? memoryValue : static_cast<std::uint16_t>(below(0x100) << 8 | memoryValue));

    switch (form.source) {
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
                load("cl",
                     chance(50) ? pick(rng_, kCountCorners) : static_cast<unsigned>(below(0x100)));
            }
            operands.push_back(chance(50) ? "cl" : "CL");
            break;
        default:
            break;
    }
    std::string line = form.mnemonic + " " + operands[0];
    for (std::size_t i = 1; i < operands.size(); ++i) {
        line += (chance(50) ? ", " : ",") + operands[i];
    }
    lines_.push_back(line);
}

void CaseWriter::noOperandCase(const InstructionForm& form) {
    if (form.family == Family::String) {
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

MemoryBlock CaseWriter::data() const {
    return {kCaseFlags, std::vector<std::uint8_t>(data_.begin(), data_.end())};
}

std::string_view familyName(Family family) {
    static constexpr std::array<std::string_view, 7> kNames{
        {"transfer", "arithmetic", "logic", "shift and rotate", "multiply and divide", "adjust",
         "string"}};
    return kNames[static_cast<std::size_t>(family)];
}

std::span<const InstructionForm> formsOf(Family family) {
    static const std::array<std::vector<InstructionForm>, kFamilies.size()> kForms = [] {
        std::array<std::vector<InstructionForm>, kFamilies.size()> forms;
        for (const Family f : kFamilies) {
            forms[static_cast<std::size_t>(f)] = buildForms(f);
        }
        return forms;
    }();
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
    CaseWriter writer(seed);
    DifferentialCase program;
    for (int i = 0; i < std::min(cases, kMaxCasesPerProgram); ++i) {
        for (const std::string& line : writer.write(form, i)) {
            program.source += "        " + line + "\n";
        }
    }
    program.source += "        hlt\n";
    program.memory.push_back(writer.data());
    program.name =
        formatText("%s, seed %llu", formName(form).c_str(), static_cast<unsigned long long>(seed));
    return program;
}

}  // namespace tarvix::test
