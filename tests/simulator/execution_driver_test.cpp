// Run, Step, Reset CPU and Reset Memory over whole programs: how a run ends and what it tells
// the pane, the host and the editor's markers.
#include "simulator/execution_driver.h"

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using ExecutionDriverTest = KitFixture;

TEST(RunDoneText, RateOverTheRunsMilliseconds) {
    const struct {
        std::uint64_t instructions;
        std::uint64_t milliseconds;
        const char* text;
    } cases[] = {
        {0, 0, "Done. [ 0 instrns @ 0 ins/sec ]"},
        {5000, 4, "Done. [ 5000 instrns @ 1000000 ins/sec ]"},
        // count x 1000 no longer fits 32 bits.
        {4325310, 0, "Done. [ 4325310 instrns @ 4325310000 ins/sec ]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runDoneText(c.instructions, c.milliseconds), c.text);
    }
}

TEST_F(ExecutionDriverTest, RunEndings) {
    const struct {
        const char* source;
        const char* pane;
        RunEnding ending;
        std::uint64_t instructions;
        int line;  // 1-based line the run stopped on
    } cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        run(c.source);
        EXPECT_EQ(sink.text, c.pane);
        EXPECT_EQ(driver.lastEnding(), c.ending);
        EXPECT_EQ(driver.lastInstructionCount(), c.instructions);
        if (c.ending != RunEnding::NotStarted) {
            EXPECT_EQ(driver.lastLine() + 1, c.line);
        }
        EXPECT_FALSE(buffer.isReadOnly());
        EXPECT_FALSE(host.dialogOpen);
        EXPECT_TRUE(kit.image.lineMap().empty());
    }
}

TEST_F(ExecutionDriverTest, FailedInstructionMarksItsLineAndRewinds) {
    run("nop\nmov bx,0\nmov al,[bx]\nhlt");
    EXPECT_EQ(kit.currentLine, 0);
    EXPECT_EQ(buffer.lineFlags(2), kErrorMarker);
    EXPECT_EQ(sink.markedLine, 2);

    // A label that is not there: the message names no line, but the marker shows it, at run
    // time and when the assembler finds it.
    run("nop\nint 3\nhlt");
    EXPECT_EQ(buffer.findMarker(kErrorMarker), 1);
    EXPECT_EQ(driver.lastLine(), 1);
    run("nop\nnop\n\njmp nowhere\nhlt");
    EXPECT_EQ(sink.text, "Error: Unrecognized symbol nowhere");
    EXPECT_EQ(sink.markedLine, 3);
    EXPECT_EQ(driver.lastLine(), 3);
}

TEST_F(ExecutionDriverTest, RunRefreshesEvery1501Instructions) {
    // 1 + 6000 instructions: three refreshes during the run, one at the start, one at the end.
    run("mov cx,bb8\nl: nop\nloop l\nhlt");
    EXPECT_EQ(driver.lastInstructionCount(), 6001u);
    EXPECT_EQ(host.registerRefreshes, 5);
    EXPECT_EQ(host.statusTexts.size(), 4u);  // cleared, then the line at each refresh
    EXPECT_EQ(host.doneSounds, 1);
}

TEST_F(ExecutionDriverTest, StopAndTheInstructionLimitEndAnEndlessLoop) {
    driver.setInstructionLimit(100);
    run("again: jmp again");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Limit);
    EXPECT_EQ(driver.lastInstructionCount(), 100u);

    driver.setInstructionLimit(0);
    clock.millisPerReading = 1;  // the windows are pumped every few milliseconds
    host.stopAfterPumps = 3;
    run("again: jmp again");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Stopped);
    EXPECT_EQ(sink.text.rfind("Done. [ ", 0), 0u) << sink.text;
    EXPECT_GT(driver.lastInstructionCount(), 0u);
}

TEST_F(ExecutionDriverTest, ResetsClearWhatTheyShould) {
    run("mov ax,1\n");
    driver.resetCpu();
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory");
    EXPECT_FALSE(pane.errorLatched());
    EXPECT_EQ(buffer.findMarker(kErrorMarker), -1);
    EXPECT_EQ(kit.cpu.regs[Reg16::AX], 0);

    run("mov ax,1234\nhlt");
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0xB8);
    EXPECT_FALSE(buffer.needsAssembly());
    driver.resetMemory();
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0);
    EXPECT_TRUE(buffer.needsAssembly()) << "the next run loads again";
    driver.run();
    EXPECT_EQ(kit.cpu.memory.bytes()[0], 0xB8);
}

TEST_F(ExecutionDriverTest, OneMarkerAtATimeAndNoneInListFiles) {
    load("nop\nhlt");
    buffer.setLineFlags(1, kBreakpointMarker);
    driver.markLine(1, false);
    EXPECT_EQ(buffer.lineFlags(1), kBreakpointMarker | kExecutionMarker);
    driver.markLine(0, true);
    EXPECT_EQ(buffer.lineFlags(1), kBreakpointMarker) << "one marker at a time";
    host.path = (folder / "prog.LST").string();
    driver.markLine(1, true);
    EXPECT_EQ(buffer.findMarker(kErrorMarker), 0) << "unchanged for a list file";
}

}  // namespace
}  // namespace tarvix
