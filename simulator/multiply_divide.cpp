// MUL, IMUL, DIV and IDIV on AL/AX (and DX) with one register or sized memory operand. A
// division that would fault reports the type-0 interrupt and changes nothing.
#include <cstdint>

#include "simulator/alu_operands.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

using Kind = Cpu8086::MulDivKind;

std::int32_t signedAt(std::uint32_t value, int size) {
    return size == 2 ? static_cast<std::int16_t>(value) : static_cast<std::int8_t>(value);
}

// AX (byte) or DX:AX (word), with CF and OF set when the high half is more than the
// extension of the low one. SF, ZF and PF follow the low half, AF is 0, as on Unicorn.
void storeProduct(CpuRegisters& regs, std::uint32_t product, bool highHalfUsed, int size) {
    regs[Reg16::AX] = static_cast<std::uint16_t>(product & 0xFFFF);
    if (size == 2) {
        regs[Reg16::DX] = static_cast<std::uint16_t>(product >> 16);
    }
    std::uint16_t status = resultFlags(static_cast<std::uint16_t>(product & 0xFFFF), size);
    if (highHalfUsed) {
        status |= kCarryFlag | kOverflowFlag;
    }
    storeFlags(regs, status);
}

void multiply(CpuRegisters& regs, Kind kind, std::uint16_t operand, int size) {
    const std::uint32_t accumulator = size == 2 ? regs[Reg16::AX] : regs[Reg8::AL];
    if (kind == Kind::Mul) {
        const std::uint32_t product = accumulator * operand;
        storeProduct(regs, product, (product >> (size * 8)) != 0, size);
        return;
    }
    const std::int32_t product = signedAt(accumulator, size) * signedAt(operand, size);
    const auto bits = static_cast<std::uint32_t>(product);
    storeProduct(regs, bits, signedAt(bits, size) != product, size);
}

// IDIV's own check: the quotient, truncated toward zero, must fit the signed destination.
bool signedDivideFaults(Cpu8086& cpu, std::int64_t dividend, std::int64_t divisor, int size) {
    if (divisor == 0) {
        cpu.pane().reportError("type-0 interrupt (Divide by zero)", WithLine::Yes);
        return true;
    }
    const std::int64_t quotient = dividend / divisor;
    const std::int64_t limit = size == 2 ? 0x8000 : 0x80;
    if (quotient < -limit || quotient >= limit) {
        cpu.pane().reportError("type-0 interrupt (result overflow)", WithLine::Yes);
        return true;
    }
    return false;
}

}  // namespace

bool Cpu8086::execMulDiv(const DecodedInstruction& ins, MulDivKind kind) {
    if (!ins.source.isEmpty) {
        return fail(MessageId::ErrorInInstructionFormat);
    }
    Operand target;
    int size = 0;
    if (!resolveTarget(*this, ins.dest, {MessageId::ErrorInInstructionFormat, true}, target,
                       size)) {
        return false;
    }
    const std::uint16_t operand = readOperand(*this, target, size);
    if (kind == MulDivKind::Mul || kind == MulDivKind::Imul) {
        multiply(regs, kind, operand, size);
        return true;
    }

    const std::uint32_t dividend =
        size == 2 ? std::uint32_t{regs[Reg16::DX]} << 16 | regs[Reg16::AX] : regs[Reg16::AX];
    std::uint32_t quotient = 0;
    std::uint32_t remainder = 0;
    if (kind == MulDivKind::Div) {
        if (divideFaults(dividend, operand, size == 2)) {
            return false;
        }
        quotient = dividend / operand;
        remainder = dividend % operand;
    } else {
        const std::int64_t a =
            size == 2 ? static_cast<std::int32_t>(dividend) : static_cast<std::int16_t>(dividend);
        const std::int64_t b = signedAt(operand, size);
        if (signedDivideFaults(*this, a, b, size)) {
            return false;
        }
        quotient = static_cast<std::uint32_t>(a / b);
        remainder = static_cast<std::uint32_t>(a % b);
    }
    if (size == 2) {
        regs[Reg16::AX] = static_cast<std::uint16_t>(quotient & 0xFFFF);
        regs[Reg16::DX] = static_cast<std::uint16_t>(remainder & 0xFFFF);
    } else {
        regs[Reg16::AX] = static_cast<std::uint16_t>((remainder & 0xFF) << 8 | (quotient & 0xFF));
    }
    // Every status flag is undefined after a division; Unicorn keeps them as they were.
    storeFlags(regs, regs.FLAGS);
    return true;
}

}  // namespace tarvix
