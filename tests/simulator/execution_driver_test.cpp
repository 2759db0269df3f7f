#include "simulator/execution_driver.h"

#include <gtest/gtest.h>

#include "tests/simulator/kit_fixture.h"

namespace tarvix {
namespace {

using ExecutionDriverTest = KitFixture;

TEST_F(ExecutionDriverTest, RunEndings) {
    struct Case {
        const char* source;
        const char* pane;
        RunEnding ending;
        std::uint64_t instructions;
        int line;  // 1-based line the run stopped on
    };
    // The fake clock stands still: every run lasts 0 ms and divides by 1.
    const Case cases[] = {
        {"hlt\n", "Done. [ 0 instrns @ 0 ins/sec ]", RunEnding::Halted, 0, 1},
        {"mov ax,1234\nmov bx,ax\nhlt", "Done. [ 2 instrns @ 2000 ins/sec ]", RunEnding::Halted, 2,
         3},
        {"; comment\nstart:\n\nnop\nhlt", "Done. [ 1 instrns @ 1000 ins/sec ]", RunEnding::Halted,
         1, 5},
        {"into\nhlt", "Done. [ 1 instrns @ 1000 ins/sec ]", RunEnding::Halted, 1, 2},
        {"mov ax,1\n", "Error: Execution beyond valid opcode (No Hlt)", RunEnding::Error, 1, 3},
        {"nop\nmov bx,0\nmov al,[bx]\nhlt",
         "Line 3 Error: Bytes can be placed only between 1000H and 1FFFH", RunEnding::Error, 2, 3},
        {"nop\nint 3\nhlt", "Error: Undefined Symbol 'int3'", RunEnding::Error, 1, 2},
        {"nop\nfoo ax\nhlt", "Line 2 Error: Unrecognized/unsupported instruction",
         RunEnding::NotStarted, 0, 0},
        {"", "Error: Please type the Assembly Language Program", RunEnding::NotStarted, 0, 0},
    };
    for (const Case& c : cases) {
        run(c.source);
        EXPECT_EQ(sink.text, c.pane) << c.source;
        EXPECT_EQ(driver.lastEnding(), c.ending) << c.source;
        EXPECT_EQ(driver.lastInstructionCount(), c.instructions) << c.source;
        if (c.ending != RunEnding::NotStarted) {
            EXPECT_EQ(driver.lastLine() + 1, c.line) << c.source;
        }
        EXPECT_FALSE(buffer.isReadOnly()) << c.source;
        EXPECT_FALSE(host.dialogOpen) << c.source;
        EXPECT_TRUE(kit.image.lineMap.empty()) << c.source;
    }
}

TEST_F(ExecutionDriverTest, FailedInstructionMarksItsLineAndRewinds) {
    run("nop\nmov bx,0\nmov al,[bx]\nhlt");
    EXPECT_EQ(kit.currentLine, 0);
    EXPECT_EQ(buffer.lineFlags(2), kErrorMarker);
    EXPECT_EQ(sink.markedLine, 2);

    // A label that is not there leaves no marker: there is no line to blame.
    run("nop\nint 3\nhlt");
    EXPECT_EQ(buffer.findMarker(kErrorMarker), -1);
}

TEST_F(ExecutionDriverTest, RunRefreshesEvery1501Instructions) {
    // 1 + 6000 instructions: three refreshes during the run, one at the start, one at the end.
    run("mov cx,bb8\nl: nop\nloop l\nhlt");
    EXPECT_EQ(driver.lastInstructionCount(), 6001u);
    EXPECT_EQ(host.registerRefreshes, 5);
    EXPECT_EQ(host.statusTexts.size(), 4u);  // cleared, then the line at each refresh
    EXPECT_EQ(host.doneSounds, 1);
}

TEST_F(ExecutionDriverTest, StopEndsAnEndlessLoop) {
    clock.millisPerReading = 1;  // the windows are pumped every few milliseconds
    host.stopAfterPumps = 3;
    run("again: jmp again");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Stopped);
    EXPECT_EQ(sink.text.rfind("Done. [ ", 0), 0u) << sink.text;
    EXPECT_GT(driver.lastInstructionCount(), 0u);
}

TEST_F(ExecutionDriverTest, InstructionLimit) {
    driver.setInstructionLimit(100);
    run("again: jmp again");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit);
    EXPECT_EQ(driver.lastInstructionCount(), 100u);
}

TEST_F(ExecutionDriverTest, HardwareInterruptsNeedTheirHandlers) {
    clock.millisPerReading = 5;
    clock.ticksPerReading = 1000;        // a second per reading
    driver.setInstructionLimit(100000);  // a missed interrupt must not hang the test
    kit.hwTimerEnabled = true;
    run("again: jmp again");
    EXPECT_EQ(sink.text, "Error: Undefined Symbol 'int2'");

    kit.hwTimerEnabled = false;
    host.keys = {'x', 'A'};  // the first arrives before STI
    run("sti\nagain: jmp again");
    EXPECT_EQ(sink.text, "Error: Undefined Symbol 'int40'");
    EXPECT_EQ(kit.lastKey, 'A');

    // With IF clear a key only updates the last key.
    host.keys = {'B'};
    host.stopAfterPumps = host.pumps + 3;
    run("again: jmp again");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Stopped);
    EXPECT_EQ(kit.lastKey, 'B');
}

TEST_F(ExecutionDriverTest, HandlersRunAndReturn) {
    clock.millisPerReading = 5;
    clock.ticksPerReading = 600;  // the timer fires on every other clock check
    kit.hwTimerEnabled = true;
    driver.setInstructionLimit(2000);
    run("again: jmp again\nint2: inc dx\niret\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit);
    EXPECT_GT(kit.cpu.regs.word(2), 1) << "the handler counts the interrupts";
    EXPECT_EQ(kit.cpu.regs.SP, 0x2000) << "every interrupt returned";
}

TEST_F(ExecutionDriverTest, StepMarksEachLineAndSaysWhatItExecuted) {
    load("mov ax,1234\nnop\nhlt");
    driver.step();
    EXPECT_EQ(sink.text, "In Single-Step Mode. ;Disabling HW interrupts.");
    EXPECT_TRUE(host.dialogWasSingleStep);
    EXPECT_EQ(driver.lastInstructionCount(), 2u);
    EXPECT_EQ(host.visibleLines, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"", " ", "mov ax,1234", "nop "}));
    EXPECT_EQ(buffer.lineFlags(2), kExecutionMarker);
    EXPECT_EQ(kit.cpu.regs.word(0), 0x1234);
}

TEST_F(ExecutionDriverTest, ResetCpuAfterAnErrorShowsTheMemoryHint) {
    run("mov ax,1\n");
    driver.resetCpu();
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory");
    EXPECT_FALSE(pane.errorLatched());
    EXPECT_EQ(buffer.findMarker(kErrorMarker), -1);
    EXPECT_EQ(kit.cpu.regs.word(0), 0);
}

TEST_F(ExecutionDriverTest, ResetMemoryMakesTheNextRunLoadAgain) {
    run("mov ax,1234\nhlt");
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0xB8);
    EXPECT_FALSE(buffer.needsAssembly());
    driver.resetMemory();
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0);
    EXPECT_TRUE(buffer.needsAssembly());
    driver.run();
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0xB8);
}

TEST_F(ExecutionDriverTest, ListFilesShowNoMarkers) {
    load("nop\nhlt");
    driver.markLine(1, false);
    EXPECT_EQ(buffer.lineFlags(1), kExecutionMarker);
    driver.markLine(0, true);
    EXPECT_EQ(buffer.lineFlags(1), 0u) << "one marker at a time";
    host.path = (folder / "prog.LST").string();
    driver.markLine(1, true);
    EXPECT_EQ(buffer.findMarker(kErrorMarker), 0) << "unchanged for a list file";
}

TEST_F(ExecutionDriverTest, RateIsRightPastFourMillionInstructions) {
    // 66 passes of 65535 LOOPs: count x 1000 no longer fits 32 bits, and the rate must still
    // be the count over the (standing) time.
    run("mov dx,42\n"
        "outer: mov cx,ffff\n"
        "inner: loop inner\n"
        "xchg cx,dx\n"
        "loop next\n"
        "hlt\n"
        "next: xchg cx,dx\n"
        "jmp outer\n");
    const std::uint64_t count = driver.lastInstructionCount();
    EXPECT_GT(count * 1000, 0xFFFFFFFFull);
    EXPECT_EQ(sink.text, "Done. [ " + std::to_string(count) + " instrns @ " +
                             std::to_string(count * 1000) + " ins/sec ]");
}

}  // namespace
}  // namespace tarvix
