// AND, OR, XOR, TEST, NOT, NEG, the shifts and the rotates as executors: the forms each
// refuses and with which message, NOT and NEG with a second operand, and refused accesses.
#include "tests/simulator/executor_cases.h"

namespace tarvix::test {
namespace {

template <Cpu8086::LogicOp op>
bool logic(Cpu8086& c) {
    return c.execLogic(op);
}
template <Cpu8086::ShiftKind kind>
bool shift(Cpu8086& c) {
    return c.execShiftRotate(kind);
}

using Op = Cpu8086::LogicOp;
using Kind = Cpu8086::ShiftKind;
constexpr Exec kAnd = logic<Op::And>;
constexpr Exec kOr = logic<Op::Or>;
constexpr Exec kNot = logic<Op::Not>;
constexpr Exec kNeg = logic<Op::Neg>;
constexpr Exec kShl = shift<Kind::Shl>;
constexpr Exec kRol = shift<Kind::Rol>;
constexpr Exec kRor = shift<Kind::Ror>;

constexpr const char* kCount = "Use SHL reg,1 ,or SHL reg, CL. (CL='count')";

using LogicTest = ExecutorTest;

TEST_F(LogicTest, LogicForms) {
    const ExecutorCase cases[] = {
        {kAnd, "AX", "BL", "AX=1234", false, kFormat, "AX=1234"},
        {kOr, "[BX]", "5", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kAnd, "CX", "[0FFF]", "", false, kWindow, ""},
        {kAnd, "BPTR [100E]", "0", "", true, kOpcode, "[100E]=9090 ZF=1"},
        {kNot, "AX", "", "AX=0F0F FLAGS=08D5", true, "", "AX=0F0F0 FLAGS=08D7"},
        {kNot, "[BX]", "", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kNeg, "[BX]", "", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kNeg, "WORD PTR [BX]", "", "BX=1100", true, "", "[1100]=0A988 CF=1"},
        {kNot, "5", "", "", false, kFormat, ""},
        // With a second operand that fits a two-operand form they do nothing.
        {kNeg, "AX", "BX", "AX=1 BX=2", true, "", "AX=1 BX=2 FLAGS=0"},
        {kNot, "AL", "5", "AX=1", true, "", "AX=1 FLAGS=0"},
        {kNeg, "[BX]", "AX", "BX=1100", true, "", "[1100]=5678 FLAGS=0"},
        {kNeg, "[BX]", "5", "BX=1100", false, kPrefix, "[1100]=5678"},
        {kNot, "AX", "BL", "AX=1", false, kFormat, "AX=1"},
    };
    runAll(cases);
}

TEST_F(LogicTest, ShiftForms) {
    const ExecutorCase cases[] = {
        {kShl, "AX", "0001", "AX=8001", true, "", "AX=2 CF=1 OF=1"},
        {kShl, "AX", "2", "AX=8001", false, kCount, "AX=8001"},
        {kRor, "AX", "", "AX=8001", false, kCount, "AX=8001"},
        {kShl, "AX", "CH", "AX=8001", false, kCount, "AX=8001"},
        // Memory without a size prefix is a format error here, not 61207.
        {kShl, "[SI]", "1", "SI=1100", false, kFormat, "[1100]=5678"},
        {kShl, "WORD PTR [SI]", "1", "SI=1100", true, "", "[1100]=0ACF0"},
        {kShl, "5", "1", "", false, kFormat, ""},
        {kShl, "WPTR [0FFF]", "1", "", false, kWindow, ""},
        {kRol, "BPTR [100E]", "1", "", true, kOpcode, "[100E]=9090 CF=1"},
        {kShl, "WPTR [1FFF]", "1", "", true, kWindow, "b[1FFF]=0A5 ZF=1"},
    };
    runAll(cases);
}

}  // namespace
}  // namespace tarvix::test
