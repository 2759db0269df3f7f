// Run, Step, Reset CPU and Reset Memory: prepare the machine, assemble and load the program,
// then execute it line by line through the dispatcher until HLT, an error, Stop or the end of
// the text. A Run stops before a breakpoint's line and goes on as stepping; stepping takes the
// student's commands (Next, Continue, Step Over, Step Out, Run to Cursor, Step Back, Stop).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "common/clock.h"
#include "editor/x86_text_buffer.h"
#include "simulator/dispatcher.h"
#include "simulator/kit.h"
#include "simulator/run_host.h"
#include "simulator/run_pace.h"
#include "simulator/step_history.h"

namespace tarvix {

enum class RunEnding { NotStarted, Halted, Error, Stopped, Limit };

// The pane's text at the end of a Run: the count and the rate over the run's milliseconds,
// one more than measured so that a run within one millisecond still has a rate.
std::string runDoneText(std::uint64_t instructions, std::uint64_t elapsedMilliseconds);

class ExecutionDriver {
public:
    ExecutionDriver(Kit& kit, CX86TextBuffer& buffer, RunHost& host, Clock& clock);

    void run();
    // A Run that stops before the caret's line, where it goes on as stepping.
    void runToCursor();
    void step();
    void resetCpu();
    void resetMemory();

    // Moves the single execution or error marker to a 0-based line of the editor.
    void markLine(int line, bool isError);

    // Ends a run after this many executed instructions; 0 for no limit.
    void setInstructionLimit(std::uint64_t limit) { instructionLimit_ = limit; }
    // Keys a batch run presses: one every `interval` executed instructions, as if typed at
    // the execution dialog. Step takes no keys.
    void setScriptedKeys(std::string keys, std::uint64_t interval) {
        scriptedKeys_ = std::move(keys);
        keyInterval_ = interval;
    }
    // How a Run spends time; Kit clock and Animate measure real time on `wallClock`. Kit clock
    // needs the driver's own clock to be the kit's (its counter the cycles executed).
    void setSpeed(RunSpeed speed, Clock* wallClock) {
        speed_ = speed;
        wallClock_ = wallClock;
    }
    RunSpeed speed() const { return speed_; }
    // Animate's lines a second; read before each line, so a change during a run counts.
    void setLinesPerSecond(int lines) { linesPerSecond_ = std::max(lines, 1); }
    // Called after each executed instruction with its 0-based line; for tracing.
    void setInstructionObserver(std::function<void(int)> observer) {
        observer_ = std::move(observer);
    }
    // Called once the program is in memory, before its first instruction: a batch run's setup
    // of memory and registers. False ends the run there, not started; the hook tells why.
    void setLoadedHook(std::function<bool()> hook) { loadedHook_ = std::move(hook); }

    // How the last Run or Step ended, what it executed and the 0-based line it stopped on (or
    // the line the assembler refused).
    RunEnding lastEnding() const { return ending_; }
    std::uint64_t lastInstructionCount() const { return instructions_; }
    // The 8086 clock counts of what the last Run or Step executed (HLT not counted).
    std::uint64_t lastCycleCount() const { return kit_.cpu.clockCount(); }
    int lastLine() const { return lastLine_; }
    // The IP the register pane showed when the run ended (the program image is gone by then).
    std::uint16_t lastIP() const { return lastIP_; }

private:
    // How a stretch of a run or of stepping ended: the program is over (HLT, an error, the end
    // of the text), Stop, the instruction limit, or it waits for the student's next command.
    enum class Stretch { Over, Stopped, Limit, Paused };

    void runProgram(const Dispatcher::Watch* stopBefore);
    bool afterLoading();
    bool emptyProgram();
    void prepare(bool forRun);
    void clearMarkers();
    void assemblyFailed();
    void finish();
    bool deliverInterrupt(std::string_view type, std::uint16_t acknowledgeClocks);
    bool keyPressed();
    // One line through the dispatcher, counting and reporting an executed instruction.
    enum class LineStep { Continue, Stopped, Halted, LimitReached, Paused };
    LineStep executeLine(bool refreshEachInstruction);
    // Lines as Run executes them, until the next event is due or a line to stop before.
    LineStep runLines(Dispatcher::Deadline nextEvent, const Dispatcher::Watch* stopBefore);
    LineStep afterInstruction();
    RunEnding endingOf(Stretch end) const;

    // Runs as Run does, with its interrupts, until the program is over or a line to stop
    // before: a breakpoint's, or one `stopBefore` names.
    Stretch runFree(const Dispatcher::Watch* stopBefore);
    void startEvents();

    // Stepping: the student's commands until the program is over or Stop.
    Stretch stepSession();
    StepCommand waitForCommand();
    Stretch perform(StepCommand command);
    // When a command that runs on must stop; none for Continue.
    Dispatcher::Watch watchFor(StepCommand command, Operation executed, std::uint16_t spBefore);
    void stepBack();
    void followBreakpoints();

    // What a Run looks at between instructions when their deadline comes: the 1 Hz timer, the
    // windows with Stop and the keys, and the scripted keys.
    enum class EventStep { Continue, Stopped, Failed };
    EventStep serviceEvents();
    // The 1 Hz interrupt when its second is full.
    enum class TimerStep { Quiet, Fired, Failed };
    TimerStep fireTimer();
    // When the events must next be looked at.
    Dispatcher::Deadline nextEventDeadline();
    // Kit clock: waits while the kit's time is ahead of real time, and reports the pace.
    EventStep paceKitTime();
    // Animate: shows the line about to execute and waits its share of a second.
    EventStep animateLine();
    bool napStopped(double seconds);
    double kitSeconds();
    double wallSeconds();
    // At HLT: Continue after taking a 1 Hz interrupt already due, which returns to the HLT.
    LineStep timerAtHalt();

    struct RunEvents {
        bool started = false;
        bool highResTimer = false;
        RunSpeed speed = RunSpeed::FullSpeed;  // as this run goes: paced only with a wall clock
        std::int64_t frequency = 0;
        std::int64_t lastTick = 0;  // when the 1 Hz timer last fired, or the run started
        std::uint64_t lastPump = 0;
        std::size_t nextScriptedKey = 0;
        std::uint64_t scriptedKeyDue = 0;
        std::int64_t kitStart = 0;  // the driver's clock and the wall clock at the start
        std::int64_t wallStart = 0;
        std::int64_t pausedAt = -1;  // the wall clock when a paced run stopped for stepping
    };

    Kit& kit_;
    CX86TextBuffer& buffer_;
    RunHost& host_;
    Clock& clock_;
    Dispatcher dispatcher_;
    std::uint64_t instructionLimit_ = 0;
    std::function<void(int)> observer_;
    std::function<bool()> loadedHook_;
    std::string scriptedKeys_;
    std::uint64_t keyInterval_ = 1;
    RunEvents events_;
    StepHistory history_;
    RunSpeed speed_ = RunSpeed::FullSpeed;
    Clock* wallClock_ = nullptr;
    int linesPerSecond_ = 5;
    KitPacer pacer_;
    RunEnding ending_ = RunEnding::NotStarted;
    std::uint64_t instructions_ = 0;
    int lastLine_ = 0;
    std::uint16_t lastIP_ = 0x1000;
};

}  // namespace tarvix
