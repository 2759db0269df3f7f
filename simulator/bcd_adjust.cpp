// AAA, AAS, DAA, DAS, AAM and AAD, and the sign extensions CBW and CWD. Operand texts are
// ignored: AAM always divides by ten.
#include "simulator/cpu8086.h"
#include "simulator/flag_image.h"

namespace tarvix {

namespace {

using Kind = Cpu8086::AdjustKind;

bool lowNibbleNeedsAdjust(std::uint8_t al, std::uint16_t flags) {
    return (al & 0x0F) > 9 || (flags & kAuxCarryFlag) != 0;
}

// AAA and AAS: the unpacked digit in AL, carry into or borrow from AH. OF, SF, ZF and PF stay.
void asciiAdjust(CpuRegisters& regs, bool afterAddition) {
    const std::uint16_t flags = regs.FLAGS;
    auto status = static_cast<std::uint16_t>(flags & ~(kAuxCarryFlag | kCarryFlag));
    if (lowNibbleNeedsAdjust(regs[Reg8::AL], flags)) {
        const std::uint16_t ax = regs[Reg16::AX];
        regs[Reg16::AX] = static_cast<std::uint16_t>(afterAddition ? ax + 0x106 : ax - 6);
        if (!afterAddition) {
            --regs[Reg8::AH];
        }
        status |= kAuxCarryFlag | kCarryFlag;
    }
    regs[Reg8::AL] &= 0x0F;
    storeFlags(regs, status);
}

// DAA and DAS as IA-32 defines them; OF is 0.
void decimalAdjust(CpuRegisters& regs, bool afterAddition) {
    const std::uint16_t flags = regs.FLAGS;
    const std::uint8_t oldAl = regs[Reg8::AL];
    const bool oldCarry = (flags & kCarryFlag) != 0;
    std::uint16_t status = 0;
    if (lowNibbleNeedsAdjust(oldAl, flags)) {
        // Only DAS keeps the borrow of this step; DAA's CF is decided by the second test alone.
        if (!afterAddition && (oldAl < 6 || oldCarry)) {
            status |= kCarryFlag;
        }
        regs[Reg8::AL] =
            static_cast<std::uint8_t>(afterAddition ? regs[Reg8::AL] + 6 : regs[Reg8::AL] - 6);
        status |= kAuxCarryFlag;
    }
    if (oldAl > 0x99 || oldCarry) {
        regs[Reg8::AL] = static_cast<std::uint8_t>(afterAddition ? regs[Reg8::AL] + 0x60
                                                                 : regs[Reg8::AL] - 0x60);
        status |= kCarryFlag;
    }
    storeFlags(regs, status | resultFlags(regs[Reg8::AL], 1));
}

}  // namespace

bool Cpu8086::execAdjust(AdjustKind kind) {
    switch (kind) {
        case Kind::Aaa:
        case Kind::Aas:
            asciiAdjust(regs, kind == Kind::Aaa);
            return true;
        case Kind::Daa:
        case Kind::Das:
            decimalAdjust(regs, kind == Kind::Daa);
            return true;
        case Kind::Aam:
            regs[Reg8::AH] = static_cast<std::uint8_t>(regs[Reg8::AL] / 10);
            regs[Reg8::AL] = static_cast<std::uint8_t>(regs[Reg8::AL] % 10);
            storeFlags(regs, resultFlags(regs[Reg8::AL], 1));
            return true;
        case Kind::Aad:
            regs[Reg8::AL] = static_cast<std::uint8_t>(regs[Reg8::AL] + regs[Reg8::AH] * 10);
            regs[Reg8::AH] = 0;
            storeFlags(regs, resultFlags(regs[Reg8::AL], 1));
            return true;
        case Kind::Cbw:
            regs[Reg8::AH] = (regs[Reg8::AL] & 0x80) != 0 ? 0xFF : 0x00;
            return true;
        case Kind::Cwd:
            regs[Reg16::DX] = (regs[Reg8::AH] & 0x80) != 0 ? 0xFFFF : 0x0000;
            return true;
    }
    return fail(MessageId::ErrorInInstructionFormat);
}

}  // namespace tarvix
