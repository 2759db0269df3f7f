#include "simulator/register_text.h"

#include "common/format.h"

namespace tarvix {

std::array<std::string, 4> registerLines(const CpuRegisters& regs, std::uint16_t ip) {
    std::string flags(16, '0');
    const unsigned shown = regs.FLAGS & 0xFFFDu;
    for (unsigned bit = 0; bit < 16; ++bit) {
        if ((shown >> bit) & 1u) {
            flags[15 - bit] = '1';
        }
    }
    return {
        formatText("Ax= %04X Bx= %04X Cx= %04X", regs[Reg16::AX], regs[Reg16::BX], regs[Reg16::CX]),
        formatText("Dx= %04X Si= %04X Di= %04X", regs[Reg16::DX], regs[Reg16::SI], regs[Reg16::DI]),
        formatText("IP= %04x Sp= %04X Bp= %04X", ip, regs[Reg16::SP], regs[Reg16::BP]),
        flags,
    };
}

std::string memoryRowText(std::uint16_t address, std::uint8_t value) {
    if (value == 0) {
        return formatText("%4X:   %02X  %3d  NUL", address, 0u, 0);
    }
    // The character is the low seven bits; a 0 there ends the text, as the view shows it.
    const char character = static_cast<char>(value & 0x7F);
    std::string text = formatText("%4X:   %02X  %3d  ", address, value, value);
    if (character != '\0') {
        text += character;
    }
    return text;
}

}  // namespace tarvix
