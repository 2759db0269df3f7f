// The generated routines run on the kit: they assemble as they are, keep the caller's BX and
// CX, and execute exactly the LOOPs their counts promise.
#include <gtest/gtest.h>

#include "tests/kit_fixture.h"
#include "tools/delay_routine.h"

namespace tarvix {
namespace {

using DelayRoutineRunTest = KitFixture;

TEST_F(DelayRoutineRunTest, RoutinesRunTheirCounts) {
    const std::pair<std::uint64_t, std::uint64_t> inputs[] = {{1, 5}, {13, 5}, {1000, 5}, {2, 99}};
    for (const auto& [delay, mhz] : inputs) {
        const auto routine = makeDelayRoutine(delay, mhz);
        ASSERT_TRUE(routine);
        run("mov bx,1234\r\nmov cx,abcd\r\ncall Delay\r\nhlt\r\n" + routine->text + "\r\n");
        ASSERT_EQ(driver.lastEnding(), RunEnding::Halted) << sink.text << '\n' << routine->text;
        const DelayLoops& loops = routine->loops;
        // Three instructions up to the call; PUSH, MOV, POP and RET once, or PUSH and POP
        // twice with MOV BX and RET; MOV CX, DEC and JNZ once per outer pass.
        const std::uint64_t expected = loops.twoLoops
                                           ? 3 + 6 + loops.outerCount * (loops.innerCount + 3)
                                           : 3 + 4 + loops.innerCount;
        EXPECT_EQ(driver.lastInstructionCount(), expected) << delay << " ms at " << mhz;
        EXPECT_EQ(kit.cpu.regs.getReg16("BX"), 0x1234);
        EXPECT_EQ(kit.cpu.regs.getReg16("CX"), 0xABCD);
    }
}

}  // namespace
}  // namespace tarvix
