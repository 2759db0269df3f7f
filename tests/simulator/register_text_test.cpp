#include "simulator/register_text.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

TEST(RegisterText, PaneLines) {
    CpuRegisters regs;
    regs[Reg16::AX] = 0x00AB;
    regs[Reg16::BX] = 0x1234;
    regs[Reg16::CX] = 0xFFFF;
    regs[Reg16::DX] = 0x0001;
    regs[Reg16::SI] = 0xBEEF;
    regs[Reg16::DI] = 0x0010;
    regs[Reg16::BP] = 0x0A0B;
    regs.FLAGS = 0x0202;  // IF, and bit 1, which the pane never shows
    const auto lines = registerLines(regs, 0x100A);
    EXPECT_EQ(lines[0], "Ax= 00AB Bx= 1234 Cx= FFFF");
    EXPECT_EQ(lines[1], "Dx= 0001 Si= BEEF Di= 0010");
    EXPECT_EQ(lines[2], "IP= 100a Sp= 2000 Bp= 0A0B");
    EXPECT_EQ(lines[3], "0000001000000000");
}

TEST(RegisterText, MemoryRows) {
    struct Case {
        std::uint16_t address;
        std::uint8_t value;
        const char* text;
    };
    const Case cases[] = {
        {0x1041, 0x41, "1041:   41   65  A"},    {0x1000, 0x00, "1000:   00    0  NUL"},
        {0x1FFF, 0xFF, "1FFF:   FF  255  \x7F"}, {0x1800, 0x80, "1800:   80  128  "},
        {0x1801, 0xC1, "1801:   C1  193  A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(memoryRowText(c.address, c.value), c.text);
    }
}

}  // namespace
}  // namespace tarvix
