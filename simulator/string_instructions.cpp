// SCAS, CMPS, STOS, LODS and MOVS on the elements at SI and DI, stepped by DF, and the REPE and
// REPNE prefixes, written as instructions of their own with the string instruction as operand.
#include <array>
#include <string_view>

#include "common/text.h"
#include "simulator/add_subtract.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

enum class StringOp { Scas, Cmps, Stos, Lods, Movs };

// Every segment is 0000H, so an element's address is the index register itself; it must lie
// in the memory window, as the operand text "[si]" or "[di]" would.
std::uint16_t elementAddress(Cpu8086& cpu, std::uint16_t index) {
    if (!KitMemory::isValidAddress(index, true)) {
        cpu.pane().reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
        return 0;
    }
    return index;
}

std::uint16_t readElement(KitMemory& memory, std::uint16_t address, bool isWord) {
    return isWord ? memory.readWord(address) : memory.readByte(address);
}

void writeElement(KitMemory& memory, std::uint16_t address, bool isWord, std::uint16_t value) {
    if (isWord) {
        memory.writeWord(address, value);
    } else {
        memory.writeByte(address, static_cast<std::uint8_t>(value & 0xFF));
    }
}

void step(CpuRegisters& regs, std::uint16_t& index, bool isWord) {
    const int size = isWord ? 2 : 1;
    index = static_cast<std::uint16_t>(index + (regs.testFlag(kDirectionFlag) ? -size : size));
}

void compare(CpuRegisters& regs, std::uint16_t a, std::uint16_t b, bool isWord) {
    storeFlags(regs, subtract(a, b, false, isWord ? 2 : 1).status);
}

// One pass. The addresses come first: if one is outside the window nothing changes. Inlined,
// so that each repetition below is compiled for its own instruction.
[[gnu::always_inline]] inline bool execute(Cpu8086& cpu, StringOp op, bool isWord) {
    CpuRegisters& regs = cpu.regs;
    const bool usesDi = op != StringOp::Lods;
    const bool usesSi = op == StringOp::Cmps || op == StringOp::Lods || op == StringOp::Movs;
    const std::uint16_t di = usesDi ? elementAddress(cpu, regs[Reg16::DI]) : 0;
    const std::uint16_t si = usesSi ? elementAddress(cpu, regs[Reg16::SI]) : 0;
    if ((usesDi && di == 0) || (usesSi && si == 0)) {
        return false;
    }
    const std::uint16_t accumulator = isWord ? regs[Reg16::AX] : regs[Reg8::AL];
    switch (op) {
        case StringOp::Scas:
            compare(regs, accumulator, readElement(cpu.memory, di, isWord), isWord);
            break;
        case StringOp::Cmps: {
            const std::uint16_t source = readElement(cpu.memory, si, isWord);
            compare(regs, source, readElement(cpu.memory, di, isWord), isWord);
            break;
        }
        case StringOp::Stos:
            writeElement(cpu.memory, di, isWord, accumulator);
            break;
        case StringOp::Lods: {
            const std::uint16_t value = readElement(cpu.memory, si, isWord);
            if (isWord) {
                regs[Reg16::AX] = value;
            } else {
                regs[Reg8::AL] = static_cast<std::uint8_t>(value);
            }
            break;
        }
        case StringOp::Movs:
            writeElement(cpu.memory, di, isWord, readElement(cpu.memory, si, isWord));
            break;
    }
    if (usesDi) {
        step(regs, regs[Reg16::DI], isWord);
    }
    if (usesSi) {
        step(regs, regs[Reg16::SI], isWord);
    }
    return true;
}

// The whole repetition is one instruction: CX is tested before every pass, and a pass that
// fails does not end it; the first pass's outcome is the instruction's. Each pass takes the
// row's extra clocks.
template <StringOp kOp, bool kWord>
bool repeat(Cpu8086& cpu, const DecodedInstruction& ins, bool isRepne) {
    constexpr bool kTested = kOp == StringOp::Scas || kOp == StringOp::Cmps;
    CpuRegisters& regs = cpu.regs;
    bool firstOutcome = true;
    std::uint64_t passes = 0;
    for (; regs[Reg16::CX] != 0; ++passes) {
        const bool outcome = execute(cpu, kOp, kWord);
        if (passes == 0) {
            firstOutcome = outcome;
        }
        regs[Reg16::CX] = static_cast<std::uint16_t>(regs[Reg16::CX] - 1);
        if (kTested && regs.testFlag(kZeroFlag) == isRepne) {
            ++passes;
            break;
        }
    }
    cpu.cycles += passes * ins.clocks.extra;
    return firstOutcome;
}

struct Repeatable {
    std::string_view name;
    bool (*repeat)(Cpu8086& cpu, const DecodedInstruction& ins, bool isRepne);
};

// LODS is missing on purpose: repeating a load only keeps the last element.
constexpr std::array<Repeatable, 8> kRepeatable{{
    {"scasb", &repeat<StringOp::Scas, false>},
    {"scasw", &repeat<StringOp::Scas, true>},
    {"cmpsb", &repeat<StringOp::Cmps, false>},
    {"cmpsw", &repeat<StringOp::Cmps, true>},
    {"stosb", &repeat<StringOp::Stos, false>},
    {"stosw", &repeat<StringOp::Stos, true>},
    {"movsw", &repeat<StringOp::Movs, true>},
    {"movsb", &repeat<StringOp::Movs, false>},
}};

}  // namespace

bool Cpu8086::execScas(bool isWord) {
    return execute(*this, StringOp::Scas, isWord);
}

bool Cpu8086::execCmps(bool isWord) {
    return execute(*this, StringOp::Cmps, isWord);
}

bool Cpu8086::execStos(bool isWord) {
    return execute(*this, StringOp::Stos, isWord);
}

bool Cpu8086::execLods(bool isWord) {
    return execute(*this, StringOp::Lods, isWord);
}

bool Cpu8086::execMovs(bool isWord) {
    return execute(*this, StringOp::Movs, isWord);
}

int Cpu8086::repeatedOperation(std::string_view name) {
    for (std::size_t i = 0; i < kRepeatable.size(); ++i) {
        if (equalsIgnoreCase(name, kRepeatable[i].name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Cpu8086::execRepeat(const DecodedInstruction& ins, bool isRepne) {
    if (ins.variant < 0) {
        return fail(MessageId::ErrorInInstructionFormat);
    }
    return kRepeatable[static_cast<std::size_t>(ins.variant)].repeat(*this, ins, isRepne);
}

}  // namespace tarvix
