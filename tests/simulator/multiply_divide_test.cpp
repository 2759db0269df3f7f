// MUL, IMUL, DIV, IDIV and the adjust instructions as executors: the one-operand forms, the
// type-0 messages that change nothing, and operand texts the adjustments ignore.
#include "tests/simulator/executor_cases.h"

namespace tarvix::test {
namespace {

template <Cpu8086::MulDivKind kind>
bool mulDiv(Cpu8086& c) {
    return c.execMulDiv(kind);
}
template <Cpu8086::AdjustKind kind>
bool adjust(Cpu8086& c) {
    return c.execAdjust(kind);
}

using MulDiv = Cpu8086::MulDivKind;
using Adjust = Cpu8086::AdjustKind;
constexpr Exec kMul = mulDiv<MulDiv::Mul>;
constexpr Exec kDiv = mulDiv<MulDiv::Div>;
constexpr Exec kIdiv = mulDiv<MulDiv::Idiv>;

constexpr const char* kByZero = "type-0 interrupt (Divide by zero)";
constexpr const char* kOverflow = "type-0 interrupt (result overflow)";

using MultiplyDivideTest = ExecutorTest;

TEST_F(MultiplyDivideTest, OneOperand) {
    const ExecutorCase cases[] = {
        {kMul, "AX", "BX", "AX=2", false, kFormat, "AX=2"},
        {kMul, "5", "", "AX=2", false, kFormat, "AX=2"},
        {kMul, "[SI]", "", "AX=2 SI=1100", false, kFormat, "AX=2"},
        {kMul, "WORD PTR [SI]", "", "AX=2 SI=1100", true, "", "AX=0ACF0 DX=0"},
        {kMul, "WPTR [0FFF]", "", "AX=2", false, kWindow, "AX=2"},
        {kDiv, "[SI]", "", "SI=1100", false, kFormat, ""},
    };
    runAll(cases);
}

TEST_F(MultiplyDivideTest, DivideErrorsChangeNothing) {
    const ExecutorCase cases[] = {
        {kDiv, "BL", "", "AX=1234 BX=0 FLAGS=08D5", false, kByZero, "AX=1234 FLAGS=08D5"},
        {kDiv, "BL", "", "AX=1234 BX=100", false, kByZero, "AX=1234"},  // BH is no divisor
        {kDiv, "BL", "", "AX=400 BX=2", false, kOverflow, "AX=400"},
        {kIdiv, "BL", "", "AX=80 BX=1", false, kOverflow, "AX=80"},
        {kIdiv, "BX", "", "DX=8000 AX=0 BX=0FFFF", false, kOverflow, "AX=0 DX=8000"},
        {kIdiv, "CL", "", "AX=5 CX=0", false, kByZero, "AX=5"},
        // The refused read yields 0, whose division is refused in turn; the pane keeps the
        // first message.
        {kDiv, "WPTR [1FFF]", "", "AX=5 DX=0", false, kWindow, "AX=5 DX=0"},
    };
    runAll(cases);
}

TEST_F(MultiplyDivideTest, AdjustmentsIgnoreOperands) {
    const ExecutorCase cases[] = {
        {adjust<Adjust::Aam>, "5", "", "AX=3F", true, "", "AX=603"},  // always base ten
        {adjust<Adjust::Aad>, "AX", "BX", "AX=603", true, "", "AX=3F"},
        // The sign extensions leave FLAGS alone, reserved bits included.
        {adjust<Adjust::Cbw>, "", "", "AX=80 FLAGS=0F02A", true, "", "AX=0FF80 FLAGS=0F02A"},
        {adjust<Adjust::Cwd>, "", "", "AX=8000 FLAGS=0F02A", true, "", "DX=0FFFF FLAGS=0F02A"},
    };
    runAll(cases);
}

}  // namespace
}  // namespace tarvix::test
