#include "tools/delay_routine.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

TEST(DelayRoutineTest, OneMillisecondAtFiveMegahertzIsTheSingleLoop) {
    const auto routine = makeDelayRoutine(1, 5);
    ASSERT_TRUE(routine);
    EXPECT_EQ(routine->totalCycles, 5000u);
    EXPECT_EQ(routine->loops.actualCycles, 4991u);
    EXPECT_EQ(routine->text,
              ";Delay of 1 msec. Error = 1 \xB5sec\r\nProc\tDelay\r\n\tPush\tCX\r\n"
              "\tMov\tCX,124\r\nCNTDN:\tLoop\tCNTDN\r\n\tPop\tCX\r\n\tRet");
}

TEST(DelayRoutineTest, OneSecondAtFiveMegahertzIsTheTwoLoops) {
    const auto routine = makeDelayRoutine(1000, 5);
    ASSERT_TRUE(routine);
    // inner = ((5000000 - 30) / 5 - 10) / 17 = 58822 = E5C6H, 50 cycles short.
    EXPECT_EQ(routine->loops.actualCycles, 4999950u);
    EXPECT_EQ(routine->text,
              ";Delay of 1000 msecs. Error: \xB1"
              "10 \xB5Sec.\r\nProc\tDelay\r\n\tPush Bx\r\n\tPush Cx\r\n\tMov Bx,0005\r\n"
              "CNTDN1:\tMov Cx,E5C6\r\nCNTDN2:\tLoop CNTDN2\r\n\tDec Bx\r\n\tJnz CNTDN1\r\n"
              "\tPop Cx\r\n\tPop Bx\r\n\tRet\r\nEndP\tDelay\r\n");
}

TEST(DelayRoutineTest, LoopCountsAroundTheSingleLoopLimit) {
    struct Case {
        std::uint64_t total;
        bool twoLoops;
        std::uint64_t outer;
        std::uint64_t inner;
        std::uint64_t actual;
    };
    const Case cases[] = {
        {1000, false, 1, 57, 996},
        {kSingleLoopMaxCycles - 1, false, 1, 0xFFFE, kSingleLoopMaxCycles - 17},
        {kSingleLoopMaxCycles, false, 1, 0xFFFF, kSingleLoopMaxCycles},
        {kSingleLoopMaxCycles + 1, true, 1, 0xFFFE, 17 * 0xFFFEu + 40},
        // 99999 ms at 99 MHz overflows 32 bits; BX still holds the outer count.
        {9899901000, true, 8886, 0xFFFE, 9899785998},
    };
    for (const Case& c : cases) {
        const DelayLoops loops = planDelayLoops(c.total);
        EXPECT_EQ(loops.twoLoops, c.twoLoops) << c.total;
        EXPECT_EQ(loops.outerCount, c.outer) << c.total;
        EXPECT_EQ(loops.innerCount, c.inner) << c.total;
        EXPECT_EQ(loops.actualCycles, c.actual) << c.total;
    }
}

TEST(DelayRoutineTest, ErrorIsInMicrosecondsOfTheClock) {
    struct Case {
        std::uint64_t delay;
        std::uint64_t clock;
        std::uint64_t error;
    };
    const Case cases[] = {
        {7, 1, 3},          // 7000 cycles, 6997 burnt
        {1000, 10, 10},     // 10000000 cycles, 106 short
        {99999, 99, 1161},  // 115002 cycles short
    };
    for (const Case& c : cases) {
        const auto routine = makeDelayRoutine(c.delay, c.clock);
        ASSERT_TRUE(routine);
        EXPECT_EQ(routine->errorMicroseconds, c.error) << c.delay << " ms at " << c.clock;
    }
}

TEST(DelayRoutineTest, InputLimits) {
    struct Case {
        const char* delay;
        const char* clock;
        bool valid;
    };
    const Case cases[] = {
        {"1", "5", true},  {"99999", "99", true}, {"", "5", false},
        {"0", "5", false}, {"00000", "5", false}, {"100000", "5", false},
        {"1", "", false},  {"1", "0", false},     {"1", "1", true},
    };
    for (const Case& c : cases) {
        const std::uint64_t delay = readDigitField(c.delay);
        const std::uint64_t clock = readDigitField(c.clock);
        EXPECT_EQ(makeDelayRoutine(delay, clock).has_value(), c.valid)
            << c.delay << " ms at " << c.clock << " MHz";
        EXPECT_EQ(isValidDelay(delay) && isValidClock(clock), c.valid) << c.delay;
    }
    EXPECT_EQ(readDigitField("99999999999999999999999"), readDigitField("9999999999999"));
    EXPECT_EQ(delayRangeMessage(), "Enter a number between 1 and 100000");
}

}  // namespace
}  // namespace tarvix
