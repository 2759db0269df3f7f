#include <unicorn/unicorn.h>

#include <array>
#include <cstdint>
#include <string>

#include "tests/simulator/cpu_fixture.h"

namespace tarvix::test {
namespace {

using ControlTransferTest = CpuFixture;
using Exec = bool (*)(Cpu8086&);

constexpr std::uint16_t CF = kCarryFlag, PF = kParityFlag, ZF = kZeroFlag, SF = kSignFlag,
                        TF = kTrapFlag, IF = kInterruptFlag, OF = kOverflowFlag;

// One short jump (rel8 = +10H) on Unicorn's 8086: whether it was taken, and CX afterwards.
class ReferenceCpu {
public:
    ReferenceCpu() {
        ok_ = uc_open(UC_ARCH_X86, UC_MODE_16, &uc_) == UC_ERR_OK &&
              uc_mem_map(uc_, 0, 0x10000, UC_PROT_ALL) == UC_ERR_OK;
    }
    ~ReferenceCpu() {
        if (uc_) {
            uc_close(uc_);
        }
    }
    bool ok() const { return ok_; }

    bool run(std::uint8_t opcode, std::uint16_t flags, std::uint16_t& cx) {
        const std::array<std::uint8_t, 2> code{opcode, 0x10};
        int eflags = flags | 0x0002;
        int reg = cx;
        // One address per opcode: Unicorn keeps translated code and would not see a rewrite.
        const auto address = static_cast<std::uint64_t>(opcode) << 8;
        uc_mem_write(uc_, address, code.data(), code.size());
        uc_reg_write(uc_, UC_X86_REG_EFLAGS, &eflags);
        uc_reg_write(uc_, UC_X86_REG_CX, &reg);
        uc_emu_start(uc_, address, 0xFFFF, 0, 1);
        int ip = 0;
        uc_reg_read(uc_, UC_X86_REG_IP, &ip);
        uc_reg_read(uc_, UC_X86_REG_CX, &reg);
        cx = static_cast<std::uint16_t>(reg);
        return static_cast<std::uint64_t>(ip) == address + 0x12;
    }

private:
    uc_engine* uc_ = nullptr;
    bool ok_ = false;
};

TEST_F(ControlTransferTest, LabelJumpsAgreeWithTheReferenceCpu) {
    struct Kind {
        std::uint8_t opcode;
        JumpKind kind;
    };
    const Kind kinds[] = {
        {0x70, JumpKind::Jo},    {0x71, JumpKind::Jno},    {0x72, JumpKind::Jb},
        {0x73, JumpKind::Jae},   {0x74, JumpKind::Je},     {0x75, JumpKind::Jne},
        {0x76, JumpKind::Jbe},   {0x77, JumpKind::Ja},     {0x78, JumpKind::Js},
        {0x79, JumpKind::Jns},   {0x7A, JumpKind::Jp},     {0x7B, JumpKind::Jnp},
        {0x7C, JumpKind::Jl},    {0x7D, JumpKind::Jge},    {0x7E, JumpKind::Jle},
        {0x7F, JumpKind::Jg},    {0xE3, JumpKind::Jcxz},   {0xE2, JumpKind::Loop},
        {0xE1, JumpKind::LoopE}, {0xE0, JumpKind::LoopNE},
    };
    const std::array<std::uint16_t, 5> flagBits{CF, PF, ZF, SF, OF};
    ReferenceCpu reference;
    ASSERT_TRUE(reference.ok());
    for (const Kind& k : kinds) {
        for (unsigned combo = 0; combo < 32; ++combo) {
            std::uint16_t flags = 0;
            for (std::size_t bit = 0; bit < flagBits.size(); ++bit) {
                flags =
                    static_cast<std::uint16_t>(flags | ((combo >> bit & 1u) ? flagBits[bit] : 0));
            }
            // CX = 0 makes the LOOP family wrap to FFFFH.
            for (const int cxValue : {0x0000, 0x0001, 0x0002}) {
                const auto cx = static_cast<std::uint16_t>(cxValue);
                std::uint16_t expectedCx = cx;
                const bool taken = reference.run(k.opcode, flags, expectedCx);
                at(2, "Target");
                cpu.regs.FLAGS = flags;
                cpu.regs.setReg16("CX", cx);
                SCOPED_TRACE(testing::Message() << std::hex << "opcode " << int{k.opcode}
                                                << " flags " << flags << " cx " << cx);
                EXPECT_TRUE(cpu.execJump(k.kind));
                EXPECT_EQ(line, taken ? 5 : 2);
                EXPECT_EQ(cpu.regs.getReg16("CX"), expectedCx);
                EXPECT_EQ(cpu.regs.FLAGS, flags);
            }
        }
    }
}

TEST_F(ControlTransferTest, UnknownLabelsStopWithoutALine) {
    struct Case {
        Exec exec;
        const char* dest;
        bool ok;
        const char* pane;
    };
    const Case cases[] = {
        {[](Cpu8086& c) { return c.execJump(JumpKind::JmpDirect); }, "NoWhere", false,
         "Error: Undefined Symbol 'nowhere'"},
        {[](Cpu8086& c) { return c.execJump(JumpKind::JmpDirect); }, "table", false,
         "Error: Unable to jump to Symbol 'table'"},
        {[](Cpu8086& c) { return c.execJump(JumpKind::Jne); }, "nowhere", false,
         "Error: Undefined Symbol 'nowhere'"},
        {[](Cpu8086& c) { return c.execJump(JumpKind::Loop); }, "table", false,
         "Error: Unable to jump to Symbol 'table'"},
        {[](Cpu8086& c) { return c.execCallRet(CallKind::Direct); }, "nowhere", false,
         "Error: Undefined Symbol 'nowhere'"},
        {[](Cpu8086& c) { return c.execInt(true, c.dest); }, "3", false,
         "Error: Undefined Symbol 'int3'"},
        // Only a taken jump looks its label up.
        {[](Cpu8086& c) { return c.execJump(JumpKind::Je); }, "nowhere", true, ""},
    };
    for (const Case& c : cases) {
        at(2, c.dest);
        cpu.regs.setReg16("CX", 5);
        EXPECT_EQ(c.exec(cpu), c.ok) << c.pane;
        EXPECT_EQ(line, c.ok ? 2 : -1);
        EXPECT_EQ(sink.text, c.pane);
        EXPECT_FALSE(sink.markedLine.has_value());
        EXPECT_EQ(cpu.regs.SP, 0x2000);  // nothing pushed before the lookup
    }
}

TEST_F(ControlTransferTest, IndirectTargets) {
    struct Case {
        bool call;
        const char* dest;
        int after;
        std::uint16_t bx;
        std::uint16_t sp;
        int toLine;  // -1: fails
        std::uint16_t spAfter;
        const char* error;
    };
    const Case cases[] = {
        {false, "BX", 2, 0x1008, 0x2000, 5, 0x2000, ""},
        {false, "bx", 2, 0x100C, 0x2000, 8, 0x2000, ""},
        {false, "BX", 2, 0x1200, 0x2000, -1, 0x2000, "Invalid IP for jump"},
        {false, "BX", 2, 0x1009, 0x2000, -1, 0x2000, "Invalid IP for jump"},  // mid-instruction
        {false, "BL", 2, 0x1008, 0x2000, -1, 0x2000, "Please use 16-bit register"},
        {false, "[SI]", 2, 0, 0x2000, 5, 0x2000, ""},
        {false, "WORD PTR [1102]", 2, 0, 0x2000, -1, 0x2000, "Invalid IP for jump"},
        {false, "[SI-200]", 2, 0, 0x2000, -1, 0x2000,
         "Bytes can be placed only between 1000H and 1FFFH"},
        {false, "BX", 10, 0x1008, 0x2000, -1, 0x2000, "Invalid IP"},  // nothing after the last line
        {true, "BX", 2, 0x1008, 0x2000, 5, 0x1FFE, ""},
        {true, "[SI]", 2, 0, 0x2000, 5, 0x1FFE, ""},
        {true, "BX", 2, 0x1200, 0x2000, -1, 0x1FFE, "Invalid IP for call"},  // return address stays
        {true, "BH", 2, 0x1008, 0x2000, -1, 0x2000, "Please use 16-bit register"},
        {true, "BX", 10, 0x1008, 0x2000, -1, 0x2000, "Invalid IP"},
        {true, "BX", 2, 0x1008, 0x1000, -1, 0x1000, "Out of stack space"},
    };
    poke(0x1100, 0x1008);
    poke(0x1102, 0x1200);
    for (const Case& c : cases) {
        at(c.after, c.dest);
        cpu.regs.setReg16("BX", c.bx);
        cpu.regs.SI = 0x1100;
        cpu.regs.SP = c.sp;
        const bool ok =
            c.call ? cpu.execCallRet(CallKind::Indirect) : cpu.execJump(JumpKind::JmpIndirect);
        EXPECT_EQ(ok, c.toLine >= 0) << c.dest << " " << c.error;
        EXPECT_EQ(line, c.toLine >= 0 ? c.toLine : c.after);
        EXPECT_EQ(sink.text, *c.error ? lineError(c.after, c.error) : "");
        EXPECT_EQ(cpu.regs.SP, c.spAfter);
        if (c.spAfter == 0x1FFE) {
            EXPECT_EQ(probe("[1FFE]"), 0x1004);
        }
    }
}

TEST_F(ControlTransferTest, CallReturnsToTheNextInstructionAndRetChecksTheStack) {
    at(3, "target");  // line 3 holds no instruction: the return address is that of line 4
    ASSERT_TRUE(cpu.execCallRet(CallKind::Direct));
    EXPECT_EQ(line, 5);
    EXPECT_EQ(cpu.regs.SP, 0x1FFE);
    EXPECT_EQ(probe("[1FFE]"), 0x1006);
    at(6, "");
    ASSERT_TRUE(cpu.execCallRet(CallKind::Ret));
    EXPECT_EQ(line, 4);
    EXPECT_EQ(cpu.regs.SP, 0x2000);

    struct Case {
        CallKind kind;
        int after;
        std::uint16_t sp;
        const char* error;
        std::uint16_t spAfter;
    };
    const Case cases[] = {
        {CallKind::Direct, 10, 0x2000, "Invalid IP", 0x2000},  // CALL as the last instruction
        {CallKind::Direct, 2, 0x1000, "Out of stack space", 0x1000},
        {CallKind::Ret, 2, 0x2000, "Stack empty for 'Pop' to function", 0x2000},
        // An unbalanced PUSH left 1234H on top.
        {CallKind::Ret, 2, 0x1FFC, "Invalid IP from stack. ( Push,Pop not called equally ) ",
         0x1FFE},
    };
    poke(0x1FFC, 0x1234);
    for (const Case& c : cases) {
        at(c.after, "target");
        cpu.regs.SP = c.sp;
        EXPECT_FALSE(cpu.execCallRet(c.kind));
        EXPECT_EQ(sink.text, lineError(c.after, c.error));
        EXPECT_EQ(line, c.after);
        EXPECT_EQ(cpu.regs.SP, c.spAfter);
    }
}

TEST_F(ControlTransferTest, InterruptFrameAndIretRestoreTheFlags) {
    cpu.regs.FLAGS = IF | TF | ZF | CF;
    at(5, "");
    ASSERT_TRUE(cpu.execInt(true, "21H"));  // the label is Int21H
    EXPECT_EQ(line, 8);
    EXPECT_EQ(cpu.regs.SP, 0x1FFA);
    EXPECT_EQ(probe("[1FFA]"), 0x1008);  // next instruction
    EXPECT_EQ(probe("[1FFC]"), 0x0000);  // CS
    EXPECT_EQ(probe("[1FFE]"), IF | TF | ZF | CF);
    EXPECT_EQ(cpu.regs.FLAGS, ZF | CF);

    at(9, "");
    ASSERT_TRUE(cpu.execInt(false, ""));
    EXPECT_EQ(line, 5);
    EXPECT_EQ(cpu.regs.SP, 0x2000);
    EXPECT_EQ(cpu.regs.FLAGS, IF | TF | ZF | CF);
}

TEST_F(ControlTransferTest, InterruptFailures) {
    struct Case {
        bool isInt;
        int after;
        std::uint16_t sp;
        std::array<std::uint16_t, 3> stack;  // from SP upwards
        const char* error;
        std::uint16_t spAfter;
    };
    const Case cases[] = {
        // FLAGS and CS are pushed before the return address is looked for.
        {true, 10, 0x2000, {}, "Invalid IP", 0x1FFC},
        {true, 2, 0x1000, {}, "Out of stack space", 0x1000},
        {false, 2, 0x2000, {}, "Stack empty for 'Pop' to function", 0x2000},
        {false,
         2,
         0x1FFA,
         {0x1200, 0, 0},
         "Invalid IP from stack. ( Push,Pop not called equally ) ",
         0x1FFC},
        {false, 2, 0x1FFA, {0x1008, 0x0001, 0}, "CS can only be 0000H (from stack)", 0x1FFE},
        {false, 2, 0x1FFC, {0x1008, 0, 0}, "Stack empty for 'Pop' to function", 0x2000},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; !c.isInt && c.sp + 2 * i < 0x2000; ++i) {
            poke(static_cast<std::uint16_t>(c.sp + 2 * i), c.stack[i]);
        }
        at(c.after, "");
        cpu.regs.SP = c.sp;
        cpu.regs.FLAGS = IF;
        EXPECT_FALSE(cpu.execInt(c.isInt, "21h"));
        EXPECT_EQ(sink.text, lineError(c.after, c.error));
        EXPECT_EQ(cpu.regs.SP, c.spAfter);
        EXPECT_EQ(cpu.regs.FLAGS, IF);
    }
}

TEST_F(ControlTransferTest, DivideFaults) {
    struct Case {
        std::uint32_t dividend;
        std::uint16_t divisor;
        bool isWord;
        const char* error;  // "" when the division may go ahead
    };
    const Case cases[] = {
        {0x1234, 0, false, "type-0 interrupt (Divide by zero)"},
        {0x1234, 0, true, "type-0 interrupt (Divide by zero)"},
        {0x01FE, 2, false, ""},  // FFH fits
        {0x0200, 2, false, "type-0 interrupt (result overflow)"},
        {0xFFFF, 0xFF, false, "type-0 interrupt (result overflow)"},
        {0x10004, 2, false, ""},  // a byte division sees AX only
        {0xFFFEFFFF, 0xFFFF, true, ""},
        {0xFFFF0000, 0xFFFF, true, "type-0 interrupt (result overflow)"},
        {0x00010000, 1, true, "type-0 interrupt (result overflow)"},
    };
    for (const Case& c : cases) {
        at(4, "");
        EXPECT_EQ(cpu.divideFaults(c.dividend, c.divisor, c.isWord), *c.error != '\0')
            << c.dividend;
        EXPECT_EQ(sink.text, *c.error ? lineError(4, c.error) : "");
    }
}

}  // namespace
}  // namespace tarvix::test
