// Kit clock and Animate: a paced Run waits through the host while the kit is ahead of real
// time, owns up when the host cannot keep up, shows each line in Animate, and stops on Stop.
// Real time is a fake that moves only when the driver rests.
#include "simulator/run_pace.h"

#include "simulator/kit_clock.h"
#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

TEST(KitPacer, LeadsAndDroppedDebts) {
    const struct {
        double kit;
        double wall;
        double lead;
    } steps[] = {
        {0.010, 0.004, 0.006},  // ahead: wait
        {0.010, 0.050, 0},      // behind by less than the limit: run on
        {0.012, 0.100, 0},
        {0.014, 0.180, 0},      // behind by 0.166 s, bit by bit: the debt is dropped...
        {0.019, 0.182, 0.003},  // ...so real time counts from there
    };
    KitPacer pacer;
    pacer.start();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.wall);
        EXPECT_NEAR(pacer.lead(s.kit, s.wall), s.lead, 1e-9);
    }
    PaceReport report;
    ASSERT_TRUE(pacer.report(0.019, 0.302, report));
    EXPECT_TRUE(report.lagging);
    EXPECT_NEAR(report.speed, 0.019 / 0.302, 1e-9);
    EXPECT_FALSE(pacer.report(0.2, 0.5, report));  // too soon for the next
    ASSERT_TRUE(pacer.report(0.3, 0.6, report));
    EXPECT_FALSE(report.lagging);
}

TEST(KitPacer, OneStallIsNotASlowHost) {
    KitPacer pacer;
    pacer.start();
    EXPECT_NEAR(pacer.lead(0.010, 0.004), 0.006, 1e-9);
    EXPECT_EQ(pacer.lead(0.011, 0.400), 0);  // a window took 0.4 s to open
    EXPECT_NEAR(pacer.lead(0.014, 0.401), 0.002, 1e-9);
    EXPECT_FALSE(pacer.total(0.014, 0.401).lagging);
}

TEST(KitClockText, SpeedTimeAndComplaint) {
    EXPECT_EQ(kitClockText(5, {2.354, 1.0, false}), "Kit clock 5 MHz · 1.00× · 2.35 s");
    EXPECT_EQ(kitClockText(12, {0.5, 0.62, true}),
              "Kit clock 12 MHz · 0.62× · 0.50 s — the computer cannot keep up");
}

class PacedRunTest : public KitFixture {
protected:
    PacedRunTest() {
        kitClock.follow(kit.cpu);
        kitClock.setMegahertz(1);
        wall.ticksPerSecond = 1'000'000;
        host.wallClock = &wall;
    }

    double wallSeconds() const { return static_cast<double>(wall.ticks) / 1e6; }
    double kitSeconds() const { return static_cast<double>(kit.cpu.clockCount()) / 1e6; }

    KitClock kitClock;
    FakeClock wall;
    ExecutionDriver paced{kit, buffer, host, kitClock};
};

// 10000 LOOPs of 17 cycles: 0.17 s at 1 MHz.
constexpr std::string_view kDelay = "mov cx,2710\nl: loop l\nhlt";

TEST_F(PacedRunTest, KitClockWaitsWhileAhead) {
    paced.setSpeed(RunSpeed::KitClock, &wall);
    load(kDelay);
    paced.run();
    EXPECT_EQ(paced.lastEnding(), RunEnding::Halted);
    EXPECT_GT(kitSeconds(), 0.16);
    // Never more than a millisecond of kit time ahead, nor a rest longer than a nap.
    EXPECT_NEAR(wallSeconds(), kitSeconds(), 0.0015);
    EXPECT_LE(host.longestRest, 0.002 + 1e-9);
    ASSERT_FALSE(host.paces.empty());
    EXPECT_FALSE(host.paces.back().lagging);
    EXPECT_NEAR(host.paces.back().speed, 1.0, 0.01);
}

TEST_F(PacedRunTest, KitClockBehindDropsTheDebtAndSaysSo) {
    wall.ticksPerReading = 50'000;  // every look at real time finds 50 ms gone
    paced.setSpeed(RunSpeed::KitClock, &wall);
    load(kDelay);
    paced.run();
    EXPECT_EQ(paced.lastEnding(), RunEnding::Halted);
    EXPECT_EQ(host.rests, 0);
    ASSERT_GE(host.paces.size(), 2u);
    EXPECT_TRUE(host.paces.front().lagging);
    EXPECT_LT(host.paces.front().speed, 0.1);
    EXPECT_TRUE(host.paces.back().lagging);
}

TEST_F(PacedRunTest, AnimateShowsEachLineForItsShareOfASecond) {
    const struct {
        int linesPerSecond;
        double seconds;                             // three lines
    } cases[] = {{4, 0.75}, {50, 0.06}, {0, 3.0}};  // 0 is taken as 1
    for (const auto& c : cases) {
        SCOPED_TRACE(c.linesPerSecond);
        wall.ticks = 0;
        host.shownLines.clear();
        host.registerRefreshes = 0;
        paced.setSpeed(RunSpeed::Animate, &wall);
        paced.setLinesPerSecond(c.linesPerSecond);
        load("mov ax,1\n\nmov bx,2\nhlt");
        paced.run();
        EXPECT_EQ(paced.lastEnding(), RunEnding::Halted);
        EXPECT_EQ(host.shownLines, (std::vector<int>{0, 2, 3}));
        EXPECT_GE(host.registerRefreshes, 3);
        EXPECT_NEAR(wallSeconds(), c.seconds, 1e-6);
        EXPECT_EQ(buffer.findMarker(kExecutionMarker), 3);
    }
}

// Line 1 has no instruction: Animate passes such lines at once, but not a breakpoint's.
TEST_F(PacedRunTest, AnimateStopsAtEveryBreakpoint) {
    paced.setSpeed(RunSpeed::Animate, &wall);
    for (const int line : {0, 1, 2, 3}) {
        SCOPED_TRACE(line);
        load("mov ax,1\n\nmov bx,2\nhlt");
        buffer.setLineFlags(line, kBreakpointMarker);
        host.stepCommands = {StepCommand::Stop};
        host.stepCommandsTaken = 0;
        paced.run();
        EXPECT_EQ(paced.lastEnding(), RunEnding::Stopped);
        EXPECT_EQ(kit.currentLine, line);
    }
}

TEST_F(PacedRunTest, StopEndsAPacedRun) {
    for (const RunSpeed speed : {RunSpeed::KitClock, RunSpeed::Animate}) {
        SCOPED_TRACE(static_cast<int>(speed));
        host.rests = 0;
        host.stopAfterRests = 5;
        paced.setSpeed(speed, &wall);
        load("again: jmp again");
        paced.run();
        EXPECT_EQ(paced.lastEnding(), RunEnding::Stopped);
        EXPECT_EQ(host.rests, 5);
    }
}

TEST_F(PacedRunTest, FullSpeedNeverRests) {
    paced.setSpeed(RunSpeed::FullSpeed, &wall);
    load(kDelay);
    paced.run();
    EXPECT_EQ(host.rests, 0);
    EXPECT_TRUE(host.paces.empty());
    EXPECT_EQ(wall.ticks, 0);
}

}  // namespace
}  // namespace tarvix
