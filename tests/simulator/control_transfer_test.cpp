// Jumps, calls, returns and interrupts between source lines: the label and address rules, the
// stack checks and their messages. Which conditional jumps are taken is held to a processor by
// the differential tests.
#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

class ControlTransferTest : public KitFixture {
protected:
    ControlTransferTest() { loadTestProgram(); }

    struct Case {
        const char* line;
        int after;          // the next line when it executes
        const char* setup;  // as ExecutorCase's
        int toLine;         // -1: fails
        std::string pane;   // the whole pane text
        const char* expect;
    };

    void runAll(std::span<const Case> cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.line) + " | " + c.setup);
            kit.cpu.regs.reset();
            apply("[1100]=1008 [1102]=1200");
            apply(c.setup);
            EXPECT_EQ(exec(c.after, c.line), c.toLine >= 0);
            EXPECT_EQ(kit.currentLine, c.toLine >= 0 ? c.toLine : c.after);
            EXPECT_EQ(sink.text, c.pane);
            check(c.expect);
        }
    }
};

TEST_F(ControlTransferTest, UnknownLabelsStopWithoutALineNumberAndPushNothing) {
    const std::string undefined = "Error: Undefined Symbol 'nowhere'";
    const std::string notCode = "Error: Unable to jump to Symbol 'table'";
    const struct {
        const char* line;
        std::string pane;
    } cases[] = {
        {"jmp NoWhere", undefined},  {"jmp table", notCode},
        {"jne nowhere", undefined},  {"loop table", notCode},
        {"call nowhere", undefined}, {"int 3", "Error: Undefined Symbol 'int3'"},
        {"je nowhere", ""},  // only a taken jump looks its label up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        kit.cpu.regs.reset();
        apply("CX=5");
        const bool ok = c.pane.empty();
        EXPECT_EQ(exec(2, c.line), ok);
        EXPECT_EQ(kit.currentLine, 2) << "past the line, for the dispatcher to mark";
        EXPECT_EQ(sink.text, c.pane);
        EXPECT_FALSE(sink.markedLine.has_value());
        EXPECT_EQ(kit.cpu.regs[Reg16::SP], 0x2000);
    }
}

TEST_F(ControlTransferTest, IndirectTargets) {
    const std::string badJump = lineError(2, "Invalid IP for jump");
    const std::string word = lineError(2, "Please use 16-bit register");
    const Case cases[] = {
        {"jmp BX", 2, "BX=1008", 5, "", "SP=2000"},
        {"jmp bx", 2, "BX=100C", 8, "", ""},
        {"jmp BX", 2, "BX=1200", -1, badJump, ""},
        {"jmp BX", 2, "BX=1009", -1, badJump, ""},  // mid-instruction
        {"jmp BL", 2, "BX=1008", -1, word, ""},
        {"jmp [SI]", 2, "SI=1100", 5, "", ""},
        {"jmp WORD PTR [1102]", 2, "", -1, badJump, ""},
        {"jmp [SI-200]", 2, "SI=1100", -1,
         "Line 2 Error: Bytes can be placed only between 1000H and 1FFFH", ""},
        {"jmp BX", 10, "BX=1008", -1, "Line 10 Error: Invalid IP", ""},  // nothing after line 9
        {"call BX", 2, "BX=1008", 5, "", "SP=1FFE [1FFE]=1004"},
        {"call [SI]", 2, "SI=1100", 5, "", "SP=1FFE [1FFE]=1004"},
        // The return address stays pushed.
        {"call BX", 2, "BX=1200", -1, "Line 2 Error: Invalid IP for call", "SP=1FFE"},
        {"call BH", 2, "BX=1008", -1, word, "SP=2000"},
        {"call BX", 2, "BX=1008 SP=1000", -1, "Line 2 Error: Out of stack space", "SP=1000"},
    };
    runAll(cases);
}

TEST_F(ControlTransferTest, CallAndRet) {
    // Line 3 holds no instruction: the return address is that of line 4.
    ASSERT_TRUE(exec(3, "call target"));
    EXPECT_EQ(kit.currentLine, 5);
    check("SP=1FFE [1FFE]=1006");
    ASSERT_TRUE(exec(6, "ret"));
    EXPECT_EQ(kit.currentLine, 4);
    check("SP=2000");

    const Case cases[] = {
        {"call target", 10, "", -1, "Line 10 Error: Invalid IP", "SP=2000"},  // the last one
        {"call target", 2, "SP=1000", -1, "Line 2 Error: Out of stack space", "SP=1000"},
        {"ret", 2, "", -1, "Line 2 Error: Stack empty for 'Pop' to function", "SP=2000"},
        // An unbalanced PUSH left 1234H on top.
        {"ret", 2, "SP=1FFC [1FFC]=1234", -1,
         "Line 2 Error: Invalid IP from stack. ( Push,Pop not called equally ) ", "SP=1FFE"},
    };
    runAll(cases);
}

TEST_F(ControlTransferTest, InterruptFrameAndIret) {
    apply("IF=1 TF=1 ZF=1 CF=1");
    const std::uint16_t flags = kit.cpu.regs.FLAGS;
    ASSERT_TRUE(exec(5, "int 21H"));  // the label is Int21H
    EXPECT_EQ(kit.currentLine, 8);
    check("SP=1FFA [1FFA]=1008 [1FFC]=0 IF=0 TF=0 ZF=1 CF=1");
    EXPECT_EQ(probe("[1FFE]"), flags);
    ASSERT_TRUE(exec(9, "iret"));
    EXPECT_EQ(kit.currentLine, 5);
    check("SP=2000");
    EXPECT_EQ(kit.cpu.regs.FLAGS, flags);

    const std::string empty = lineError(2, "Stack empty for 'Pop' to function");
    const Case cases[] = {
        // FLAGS and CS are pushed before the return address is looked for.
        {"int 21h", 10, "FLAGS=200", -1, "Line 10 Error: Invalid IP", "SP=1FFC FLAGS=200"},
        {"int 21h", 2, "FLAGS=200 SP=1000", -1, "Line 2 Error: Out of stack space",
         "SP=1000 FLAGS=200"},
        {"iret", 2, "FLAGS=200", -1, empty, "SP=2000 FLAGS=200"},
        {"iret", 2, "FLAGS=200 SP=1FFA [1FFA]=1200 [1FFC]=0", -1,
         "Line 2 Error: Invalid IP from stack. ( Push,Pop not called equally ) ",
         "SP=1FFC FLAGS=200"},
        {"iret", 2, "FLAGS=200 SP=1FFA [1FFA]=1008 [1FFC]=1", -1,
         "Line 2 Error: CS can only be 0000H (from stack)", "SP=1FFE FLAGS=200"},
        {"iret", 2, "FLAGS=200 SP=1FFC [1FFC]=1008 [1FFE]=0", -1, empty, "SP=2000 FLAGS=200"},
    };
    runAll(cases);
}

}  // namespace
}  // namespace tarvix
