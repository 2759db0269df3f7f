// The string instructions and REPE/REPNE as executors: the address checks that come before
// any change, refused accesses that do not stop the instruction, and the names REPE and
// REPNE take.
#include "tests/simulator/executor_cases.h"

namespace tarvix::test {
namespace {

constexpr Exec kCmpsw = [](Cpu8086& c) { return c.execCmps(true); };
constexpr Exec kStosb = [](Cpu8086& c) { return c.execStos(false); };
constexpr Exec kStosw = [](Cpu8086& c) { return c.execStos(true); };
constexpr Exec kLodsb = [](Cpu8086& c) { return c.execLods(false); };
constexpr Exec kLodsw = [](Cpu8086& c) { return c.execLods(true); };
constexpr Exec kMovsb = [](Cpu8086& c) { return c.execMovs(false); };
constexpr Exec kRepe = [](Cpu8086& c) { return c.execRepeat(false); };
constexpr Exec kRepne = [](Cpu8086& c) { return c.execRepeat(true); };

using StringTest = ExecutorTest;

TEST_F(StringTest, AddressesAndRefusedAccesses) {
    const ExecutorCase cases[] = {
        {kStosb, "", "", "DI=0 AX=41", false, kWindow, "DI=0"},
        // The word's high byte would lie outside: refused, yet DI steps and the run goes on.
        {kStosw, "", "", "DI=1FFF AX=4142", true, kWindow, "[1FFE]=0A5A5 DI=2001"},
        {kStosb, "", "", "DI=100E AX=41", true, kOpcode, "[100E]=9090 DI=100F"},
        {kMovsb, "", "", "SI=0FFF DI=1200 b[1200]=0", false, kWindow, "b[1200]=0 SI=0FFF DI=1200"},
        {kCmpsw, "", "", "SI=2000 DI=1100", false, kWindow, "SI=2000 DI=1100 FLAGS=0"},
        {kLodsb, "", "", "SI=2000 AX=1", false, kWindow, "AX=1 SI=2000"},
        {kLodsw, "", "", "SI=1FFF AX=1", true, kWindow, "AX=0 SI=2001"},
    };
    runAll(cases);
}

TEST_F(StringTest, Repetitions) {
    const ExecutorCase cases[] = {
        {kRepe, "CMPSB", "", "SI=1100 DI=1200 CX=0 FLAGS=0F8D5", true, "",
         "SI=1100 DI=1200 CX=0 FLAGS=0F8D5"},
        {kRepe, "lodsb", "", "SI=1100 CX=2", false, kFormat, "CX=2 SI=1100"},
        {kRepne, "LODSW", "", "SI=1100 CX=2", false, kFormat, "CX=2"},
        {kRepe, "", "", "CX=2", false, kFormat, "CX=2"},
        {kRepe, "movsx", "", "CX=2", false, kFormat, "CX=2"},
        // A pass that fails ends nothing; the first pass decides the outcome.
        {kRepe, "movsb", "", "SI=1FFE DI=1200 CX=4", true, kWindow,
         "CX=0 SI=2000 DI=1202 [1200]=0A5A5"},
        {kRepne, "stosb", "", "DI=0 CX=3", false, kWindow, "CX=0 DI=0"},
    };
    runAll(cases);
}

}  // namespace
}  // namespace tarvix::test
