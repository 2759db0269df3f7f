// SHL/SAL, SHR, SAR, ROL, ROR, RCL and RCR by 1 or by CL. CL counts modulo 32, as on every
// processor after the 8086; flags follow the IA-32 rules, and flag_image.h lists the values
// chosen where those rules leave a flag undefined.
#include "simulator/alu_operands.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

using Kind = Cpu8086::ShiftKind;

constexpr std::uint16_t kRotateStatus = kCarryFlag | kOverflowFlag;

struct Shifted {
    std::uint32_t value;  // the result, possibly with bits above the width
    bool carry;
    bool overflow;
};

bool bit(std::uint32_t value, unsigned n) {
    return n < 32 && ((value >> n) & 1u) != 0;
}

// Shifts and rotates by a count from 1 to 31; `v` is the operand at its width of `w` bits.
Shifted shift(Kind kind, std::uint32_t v, unsigned c, unsigned w, bool cf) {
    const unsigned top = w - 1;
    switch (kind) {
        case Kind::Shl: {
            const auto wide = static_cast<std::uint64_t>(v) << c;
            const bool carry = ((wide >> w) & 1u) != 0;
            return {static_cast<std::uint32_t>(wide), carry,
                    bit(static_cast<std::uint32_t>(wide), top) != carry};
        }
        case Kind::Shr:
            return {v >> c, bit(v, c - 1), c == 1 && bit(v, top)};
        case Kind::Sar: {
            const std::int32_t s = bit(v, top) ? static_cast<std::int32_t>(v | ~0u << w)
                                               : static_cast<std::int32_t>(v);
            return {static_cast<std::uint32_t>(s >> c), ((s >> (c - 1)) & 1) != 0, false};
        }
        case Kind::Rol: {
            const unsigned r = c % w;
            const std::uint32_t value = (v << r | v >> (w - r)) & ((1u << w) - 1);
            return {value, bit(value, 0), bit(value, top) != bit(value, 0)};
        }
        case Kind::Ror: {
            const unsigned r = c % w;
            const std::uint32_t value = (v >> r | v << (w - r)) & ((1u << w) - 1);
            return {value, bit(value, top), bit(value, top) != bit(value, top - 1)};
        }
        case Kind::Rcl:
        case Kind::Rcr: {
            // CF above the operand: one rotation of w + 1 bits.
            const unsigned span = w + 1;
            const unsigned r = c % span;
            const std::uint32_t x = v | (cf ? 1u << w : 0u);
            const unsigned left = kind == Kind::Rcl ? r : span - r;
            const std::uint32_t value = (x << left | x >> (span - left)) & ((1u << span) - 1);
            return {value, bit(value, w), bit(value, top) != bit(v, top)};
        }
    }
    return {v, cf, false};
}

AluResult shiftRotate(Kind kind, std::uint16_t value, unsigned count, std::uint16_t flags,
                      int size) {
    const unsigned w = size == 2 ? 16 : 8;
    const unsigned c = count % 32;
    const bool throughCarry = kind == Kind::Rcl || kind == Kind::Rcr;
    if (c == 0 || (throughCarry && c % (w + 1) == 0)) {
        return {value, flags};
    }
    const Shifted s = shift(kind, value, c, w, (flags & kCarryFlag) != 0);
    const auto result = static_cast<std::uint16_t>(s.value & widthMask(size));
    const bool isRotate = kind != Kind::Shl && kind != Kind::Shr && kind != Kind::Sar;
    // Rotates keep SF, ZF, PF and AF; shifts set them from the result (AF 0).
    std::uint16_t status = isRotate ? static_cast<std::uint16_t>(flags & ~kRotateStatus)
                                    : static_cast<std::uint16_t>(resultFlags(result, size));
    if (s.carry) {
        status |= kCarryFlag;
    }
    if (s.overflow) {
        status |= kOverflowFlag;
    }
    return {result, static_cast<std::uint16_t>(status & kStatusFlags)};
}

}  // namespace

bool Cpu8086::execShiftRotate(const DecodedInstruction& ins, ShiftKind kind) {
    unsigned count = 1;
    if (ins.source.is(Reg8::CL)) {
        count = regs[Reg8::CL];
        cycles += std::uint64_t{ins.clocks.extra} * count;  // every bit of CL takes its time
    } else if (ins.source.number != 1) {
        return fail("Use SHL reg,1 ,or SHL reg, CL. (CL='count')");
    }
    Operand target;
    int size = 0;
    if (!resolveTarget(*this, ins.dest, {MessageId::ErrorInInstructionFormat, true}, target,
                       size)) {
        return false;
    }
    const AluResult result =
        shiftRotate(kind, readOperand(*this, target, size), count, regs.FLAGS, size);
    writeOperand(*this, target, size, result.value);
    storeFlags(regs, result.status);
    return true;
}

}  // namespace tarvix
