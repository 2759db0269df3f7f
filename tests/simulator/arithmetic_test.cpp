// ADD, SUB, CMP, INC, DEC, ADC and SBB as executors: the ladder's messages for forms the
// assembler would refuse, refused memory accesses that do not stop the instruction, and the
// flag image rule's reserved bits. Results and flags are held to a processor by the
// differential tests.
#include "tests/simulator/executor_cases.h"

namespace tarvix::test {
namespace {

constexpr Exec kAdd = [](Cpu8086& c) { return c.execAdd(); };
constexpr Exec kCmp = [](Cpu8086& c) { return c.execSub(false); };
constexpr Exec kInc = [](Cpu8086& c) { return c.execIncDec(true); };
constexpr Exec kSbb = [](Cpu8086& c) { return c.execAdcSbb(false); };

using ArithmeticTest = ExecutorTest;

TEST_F(ArithmeticTest, OperandLadder) {
    const ExecutorCase cases[] = {
        {kAdd, "AX", "BL", "AX=1234", false, kFormat, "AX=1234"},
        {kCmp, "BL", "AX", "BX=1", false, kFormat, "BX=1"},
        {kAdd, "[BX]", "5", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kSbb, "[BX]", "1", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kAdd, "BYTE PTR [BX]", "88", "BX=1100", true, "", "[1100]=5600 CF=1 ZF=1"},
        {kAdd, "WORD PTR [BX]", "1", "BX=1100", true, "", "[1100]=5679"},
        {kAdd, "BPTR [BX]", "AX", "BX=1100 AX=1", true, "", "[1100]=5679"},  // AX decides
        {kAdd, "[SI]", "[DI]", "SI=1100 DI=1102", false, kFormat, "[1100]=5678"},
        {kAdd, "DS", "AX", "", false, kFormat, ""},
        {kAdd, "AX", "", "AX=1", false, kFormat, "AX=1"},
        {kAdd, "5", "AX", "", false, kFormat, ""},
        {kAdd, "AX", "[0FFF]", "AX=1234", false, kWindow, "AX=1234"},
        {kInc, "AX", "5", "AX=1", true, "", "AX=2"},  // INC's second operand is ignored
        {kInc, "[BX]", "", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kInc, "5", "", "", false, kFormat, ""},
    };
    runAll(cases);
}

TEST_F(ArithmeticTest, RefusedAccessesDoNotStopTheInstruction) {
    const ExecutorCase cases[] = {
        {kAdd, "AX", "[1FFF]", "AX=1234", true, kWindow, "AX=1234 ZF=0"},  // adds 0
        {kAdd, "BPTR [100E]", "1", "", true, kOpcode, "[100E]=9090 SF=1"},
        {kCmp, "BPTR [100E]", "90", "", true, "", "ZF=1"},  // reading the program is fine
    };
    runAll(cases);
}

TEST_F(ArithmeticTest, FlagImageRule) {
    const ExecutorCase cases[] = {
        // TF, IF, DF and bit 14 kept; bit 1 set; bits 3, 5, 12, 13 and 15 cleared.
        {kAdd, "AL", "1", "FLAGS=0FFFF", true, "", "AX=1 FLAGS=4702"},
        {kAdd, "AL", "1", "FLAGS=0", true, "", "FLAGS=2"},
        {kCmp, "AL", "1", "FLAGS=0BD28", true, "", "FLAGS=0597"},
    };
    runAll(cases);
}

}  // namespace
}  // namespace tarvix::test
