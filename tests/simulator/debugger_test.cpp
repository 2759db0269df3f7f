// Breakpoints in Run and the commands of stepping: where each stops, with what in the
// registers and memory, and Step Back returning to exactly an earlier stop.
#include <algorithm>
#include <tuple>
#include <vector>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using Commands = std::vector<StepCommand>;
constexpr StepCommand kNext = StepCommand::Next;
constexpr StepCommand kContinue = StepCommand::Continue;
constexpr StepCommand kBack = StepCommand::StepBack;

class DebuggerTest : public KitFixture {
protected:
    void setBreakpoint(int line) {
        buffer.setLineFlags(line, buffer.lineFlags(line) | kBreakpointMarker);
    }
    // The commands given at each stop, then Stop.
    void script(Commands commands) {
        host.stepCommands = std::move(commands);
        host.stepCommands.push_back(StepCommand::Stop);
        host.stepCommandsTaken = 0;
    }
    void stepWith(std::string_view source, Commands commands) {
        load(source);
        script(std::move(commands));
        driver.step();
    }
};

// 0..5: AX adds CX = 5, 4, ... 1; the breakpoint is the loop's first line.
constexpr std::string_view kLoop = "mov cx,5\nmov ax,0\nagain: add ax,cx\ndec cx\njnz again\nhlt\n";

TEST_F(DebuggerTest, RunStopsBeforeABreakpointAndContinuesToTheNextHit) {
    const struct {
        Commands commands;
        RunEnding ending;
        int line;  // where the run stopped, 0-based
        const char* registers;
    } cases[] = {
        {{}, RunEnding::Stopped, 2, "AX=0 CX=5"},
        {{kContinue}, RunEnding::Stopped, 2, "AX=5 CX=4"},
        {{kContinue, kContinue}, RunEnding::Stopped, 2, "AX=9 CX=3"},  // the third pass
        {{kContinue, kNext}, RunEnding::Stopped, 3, "AX=9 CX=4"},
        {Commands(5, kContinue), RunEnding::Halted, 6, "AX=0F CX=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.commands.size() << " commands");
        load(kLoop);
        setBreakpoint(2);
        script(c.commands);
        host.steppingEntered = 0;
        driver.run();
        EXPECT_EQ(driver.lastEnding(), c.ending) << sink.text;
        EXPECT_EQ(kit.currentLine, c.line);
        EXPECT_EQ(host.steppingEntered, 1);
        check(c.registers);
        EXPECT_EQ(buffer.lineFlags(2) & kBreakpointMarker, kBreakpointMarker) << "kept";
    }
}

// A Run that started with none stops at a breakpoint the student sets while it goes on, and
// Step Back works from there.
TEST_F(DebuggerTest, ABreakpointSetDuringARunStopsIt) {
    load("again: inc ax\njmp again\n");
    clock.millisPerReading = 1;  // the windows are pumped every few milliseconds
    host.onPump = [this] { setBreakpoint(1); };
    script({kBack});
    host.steppingEntered = 0;
    driver.run();
    EXPECT_EQ(host.steppingEntered, 1);
    EXPECT_EQ(kit.currentLine, 0);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(DebuggerTest, TheCaretsLineStopsARunFromTheStart) {
    load(kLoop);
    host.cursor = 4;
    script({});
    driver.runToCursor();
    EXPECT_EQ(kit.currentLine, 4);
    check("AX=5 CX=4");
}

// A sum by a recursive procedure: AX = 3, 2, 1 added into BX; line 8 calls itself.
constexpr std::string_view kRecursive =
    "mov ax,3\nmov bx,0\ncall sum\nmov dx,bx\nhlt\n"
    "sum: add bx,ax\ndec ax\njz done\ncall sum\ndone: ret\n";

TEST_F(DebuggerTest, StepOverStepOutAndRunToCursor) {
    const auto nexts = [](int count, StepCommand then) {
        Commands commands(static_cast<std::size_t>(count), kNext);
        commands.push_back(then);
        return commands;
    };
    const struct {
        const char* name;
        Commands commands;
        int cursor;
        int line;
        const char* registers;
    } cases[] = {
        {"over the call", nexts(2, StepCommand::StepOver), -1, 3, "AX=0 BX=6 SP=2000"},
        {"over the recursive call", nexts(6, StepCommand::StepOver), -1, 9, "BX=6 SP=1FFE"},
        {"over a line that calls nothing", nexts(0, StepCommand::StepOver), -1, 1, "AX=3"},
        {"out of the procedure", nexts(4, StepCommand::StepOut), -1, 3, "BX=6 SP=2000"},
        {"out from its ret", nexts(14, StepCommand::StepOut), -1, 9, "BX=6 SP=1FFC"},
        {"to the caret", nexts(0, StepCommand::RunToCursor), 3, 3, "BX=6 DX=0"},
        {"to the caret deep down", nexts(1, StepCommand::RunToCursor), 8, 8, "AX=2 SP=1FFE"},
        {"continue to the end", nexts(1, kContinue), -1, 5, "BX=6 DX=6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.cursor = c.cursor;
        stepWith(kRecursive, c.commands);
        EXPECT_EQ(kit.currentLine, c.line);
        check(c.registers);
    }
}

TEST_F(DebuggerTest, StepBackReturnsToTheEarlierStopExactly) {
    constexpr std::string_view program =
        "mov bx,1100\nmov al,7f\nadd al,1\nmov [bx],al\ninc bx\nmov [bx],al\npush ax\nhlt\n";
    const auto stateAfter = [this, program](Commands commands) {
        driver.resetMemory();
        stepWith(program, std::move(commands));
        return std::make_tuple(probe("AX"), probe("BX"), probe("SP"), probe("FLAGS"),
                               kit.currentLine, kit.cpu.memory.bytes(),
                               driver.lastInstructionCount(), driver.lastCycleCount());
    };
    const struct {
        int forward;
        int back;
        int same;  // steps forward to the same state
    } cases[] = {{6, 3, 3}, {2, 2, 0}, {5, 1, 4}, {7, 4, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.forward << " forward, " << c.back << " back");
        Commands commands(static_cast<std::size_t>(c.forward), kNext);
        commands.insert(commands.end(), static_cast<std::size_t>(c.back), kBack);
        EXPECT_EQ(stateAfter(commands),
                  stateAfter(Commands(static_cast<std::size_t>(c.same), kNext)));
        EXPECT_TRUE(host.notes.empty());
    }
}

TEST_F(DebuggerTest, StepBackSaysWhatItCannotTakeBack) {
    stepWith("mov al,80\nout 26,al\nnop\nhlt\n", {kNext, kNext, kBack, kBack, kBack});
    EXPECT_EQ(host.notes, (std::vector<std::string>{"Step Back: the devices keep what the line did",
                                                    "Step Back: there is no step to take back"}));
    EXPECT_EQ(kit.currentLine, 0);
}

// Step Back takes back one line, whatever command ran it: Continue, or the Run itself.
TEST_F(DebuggerTest, StepBackUndoesTheLastLineACommandRan) {
    const struct {
        Commands commands;
        int line;
        const char* registers;
    } cases[] = {
        {{kBack}, 2, "AX=0 CX=5"},             // the line before the first stop
        {{kContinue, kBack}, 2, "AX=5 CX=4"},  // back over the loop's jump
        {{kContinue, kBack, kBack, kBack}, 3, "AX=5 CX=5"},
        {{kContinue, kContinue, kBack, kNext}, 3, "AX=0C CX=3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.commands.size() << " commands");
        load(kLoop);
        setBreakpoint(3);
        script(c.commands);
        driver.run();
        EXPECT_EQ(kit.currentLine, c.line);
        check(c.registers);
    }
}

TEST_F(DebuggerTest, StepBackKeepsTheLastTenThousandSteps) {
    Commands commands(10'005, kNext);
    commands.insert(commands.end(), 10'001, kBack);
    stepWith("again: inc ax\njmp again\n", commands);
    EXPECT_EQ(host.notes, std::vector<std::string>{"Step Back: there is no step to take back"});
    check("AX=3");  // as after the first five steps
    EXPECT_EQ(kit.currentLine, 1);
}

// Each pass of the loop (six lines) changes 3840 bytes: the history keeps the lines of the
// last million changed bytes, far fewer than its 10,000 lines.
TEST_F(DebuggerTest, StepBackKeepsAMillionOverwrittenBytes) {
    load(
        "mov bx,120\nagain: mov di,1100\nmov cx,0f00\nrepe stosb\ninc al\ndec bx\njnz again\n"
        "hlt\n");
    setBreakpoint(7);
    script(Commands(2000, kBack));
    host.steppingEntered = 0;
    driver.run();
    EXPECT_EQ(host.steppingEntered, 1) << sink.text;
    const auto refused = std::count(host.notes.begin(), host.notes.end(),
                                    "Step Back: there is no step to take back");
    const auto kept = static_cast<std::size_t>(2000 - refused);
    const std::size_t passes = StepHistory::kMaxBytes / 0xF00;
    EXPECT_GE(kept, 6 * (passes - 1));
    EXPECT_LE(kept, 6 * (passes + 1));
}

}  // namespace
}  // namespace tarvix
