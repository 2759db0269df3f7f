// The 1 Hz NMI and the keyboard interrupt in the Run loop, on a fake clock; the device resets
// of Run, Step and Reset CPU.
#include <vector>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

class InterruptsTest : public KitFixture {
protected:
    std::uint8_t byteAt(std::uint16_t address) const {
        return kit.cpu.memory.bytes()[address - kMemoryFirst];
    }
};

TEST_F(InterruptsTest, TheSecondsHandlerRunsOncePerSimulatedSecond) {
    clock.ticksPerReading = 100;  // a tenth of a second per look at the clock
    kit.hwTimerEnabled = true;
    std::vector<std::int64_t> entries;  // the clock when each handler ran
    driver.setInstructionObserver([&](int line) {
        if (line == 1) {
            entries.push_back(clock.ticks);
        }
    });
    driver.setInstructionLimit(9000);  // 35 looks at the clock: 3.5 simulated seconds
    run("again: jmp again\n"
        "int2: inc bptr [1800]\n"
        "iret\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit) << sink.text;
    EXPECT_EQ(byteAt(0x1800), 3);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1] - entries[0], 1000);
    EXPECT_EQ(entries[2] - entries[1], 1000);
    EXPECT_EQ(kit.cpu.regs[Reg16::SP], 0x2000) << "every handler returned";
}

// The second passes between the run's last look at the clock and its HLT: the interrupt is
// still taken, and its handler returns to the HLT, which then ends the run.
TEST_F(InterruptsTest, ATimerDueAtHltIsTakenFirst) {
    clock.ticksPerReading = 600;  // due at the third reading: the start, the first look, HLT
    kit.hwTimerEnabled = true;
    run("hlt\n"
        "int2: mov bx,1\n"
        "iret\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Halted) << sink.text;
    EXPECT_EQ(kit.cpu.regs[Reg16::BX], 1);
    EXPECT_EQ(driver.lastInstructionCount(), 2u);
    EXPECT_EQ(driver.lastLine(), 0);
}

TEST_F(InterruptsTest, AKeyWithoutItsHandlerEndsTheRun) {
    clock.millisPerReading = 5;
    driver.setInstructionLimit(100000);  // a missed interrupt must not hang the test
    host.keys = {'x', 'A'};              // the first arrives before STI
    run("sti\nagain: jmp again");
    EXPECT_EQ(sink.text, "Error: Undefined Symbol 'int40'");
    EXPECT_EQ(kit.lastKey, 'A');
}

TEST_F(InterruptsTest, StepDeliversNothingAndNoCounterMeansNoTimer) {
    clock.ticksPerReading = 1000;
    clock.millisPerReading = 5;
    kit.hwTimerEnabled = true;
    host.keys = {'k'};
    driver.setInstructionLimit(600);
    load("sti\nagain: jmp again\n");
    driver.step();
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit) << sink.text;
    EXPECT_EQ(kit.lastKey, 0);

    clock.ticksPerSecond = 0;
    std::vector<std::string> panes;
    driver.setInstructionObserver([&](int) { panes.push_back(sink.text); });
    run("again: jmp again\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit) << sink.text;
    ASSERT_FALSE(panes.empty());
    EXPECT_EQ(panes.front(), "Simulating... ;Your system does'nt support high resln timers");
}

TEST_F(InterruptsTest, KeysEnterTheirHandlerOnlyWhileInterruptsAreEnabled) {
    clock.millisPerReading = 5;   // the dialog is pumped at every look at the clock
    host.keys = {'A', 'B', 'C'};  // A arrives before STI
    host.stopAfterPumps = 5;
    run("        sti\n"
        "again:  jmp again\n"
        "int40:  in al,50\n"
        "        xchg al,[1800]\n"  // the key before it moves to 1801H
        "        mov [1801],al\n"
        "        iret\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Stopped) << sink.text;
    EXPECT_EQ(byteAt(0x1800), 'C');
    EXPECT_EQ(byteAt(0x1801), 'B');
    EXPECT_EQ(kit.cpu.regs[Reg16::SP], 0x2000);

    // The next run starts with no key.
    run("in al,50\nmov [1802],al\nhlt\n");
    EXPECT_EQ(byteAt(0x1802), 0);
}

TEST_F(InterruptsTest, RunAndStepResetThe8255AndThe8251ResetCpuOnlyThe8255) {
    const auto dirty = [&] {
        kit.devices.ppi.write(Ppi8255::kControlPort, 0x80);
        kit.devices.usart.writeControl(0xCA);
    };
    dirty();
    run("hlt\n");
    EXPECT_EQ(kit.devices.ppi.control(), 0x9B);
    EXPECT_TRUE(kit.devices.usart.expectsMode());
    dirty();
    load("hlt\n");
    driver.step();
    EXPECT_EQ(kit.devices.ppi.control(), 0x9B);
    EXPECT_TRUE(kit.devices.usart.expectsMode());
    dirty();
    driver.resetCpu();
    EXPECT_EQ(kit.devices.ppi.control(), 0x9B);
    EXPECT_FALSE(kit.devices.usart.expectsMode());
}

}  // namespace
}  // namespace tarvix
