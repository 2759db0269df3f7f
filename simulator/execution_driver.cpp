#include "simulator/execution_driver.h"

#include <algorithm>
#include <limits>

#include "common/format.h"
#include "common/text.h"
#include "simulator/program_loader.h"

namespace tarvix {

namespace {

// Unless the clock can say when the 1 Hz timer is due, the run loop looks at it once per this
// many instructions, and lets the windows breathe when a few milliseconds have passed: often
// enough for a person, rarely enough for speed.
constexpr std::uint64_t kInstructionsBetweenClockChecks = 256;
constexpr std::uint64_t kMillisecondsBetweenPumps = 5;
// A paced run looks at the time once per millisecond of kit time, and rests in short naps so
// that Stop and the keys still answer at once.
constexpr std::int64_t kPacedChecksPerSecond = 1000;
constexpr double kRestSeconds = 0.002;

}  // namespace

std::string runDoneText(std::uint64_t instructions, std::uint64_t elapsedMilliseconds) {
    // 64-bit: a fast kit runs millions of instructions a second, and count x 1000 must not wrap.
    const std::uint64_t rate = instructions * 1000 / (elapsedMilliseconds + 1);
    return formatText("Done. [ %llu instrns @ %llu ins/sec ]",
                      static_cast<unsigned long long>(instructions),
                      static_cast<unsigned long long>(rate));
}

ExecutionDriver::ExecutionDriver(Kit& kit, CX86TextBuffer& buffer, RunHost& host, Clock& clock)
    : kit_(kit),
      buffer_(buffer),
      host_(host),
      clock_(clock),
      dispatcher_(kit, buffer, host, [this](int line) { markLine(line, true); }) {
    dispatcher_.recordLinesIn(history_);
}

bool ExecutionDriver::emptyProgram() {
    if (buffer_.line(0).empty() && buffer_.lineCount() <= 1) {
        // Cleared first: an error left from the last run would otherwise hide this one.
        kit_.pane.clearStatus();
        return !kit_.pane.reportError(MessageId::TypeProgram, WithLine::No);
    }
    return false;
}

void ExecutionDriver::clearMarkers() {
    for (int line = 0; line < buffer_.lineCount(); ++line) {
        const std::uint32_t flags = buffer_.lineFlags(line);
        buffer_.setLineFlags(line, flags & ~(kExecutionMarker | kErrorMarker));
    }
}

// Reset, clear the pane, and hold the source still for the run.
void ExecutionDriver::prepare(bool forRun) {
    kit_.cpu.reset();
    kit_.devices.ppi.reset();
    kit_.devices.usart.reset();
    kit_.pane.clearStatus();
    host_.refreshRegisters();
    host_.scrollToTop();
    buffer_.setReadOnly(false);
    clearMarkers();
    buffer_.setReadOnly(forRun);
    ending_ = RunEnding::NotStarted;
    instructions_ = 0;
    kit_.cpu.startCounting();
    lastLine_ = 0;
}

// The assembler counts its lines from 1 in the kit's line pointer: the line it refused is the
// one the editor moves to.
void ExecutionDriver::assemblyFailed() {
    lastLine_ = std::max(kit_.currentLine - 1, 0);
}

void ExecutionDriver::finish() {
    lastIP_ = kit_.image.displayedIP(kit_.currentLine);
    buffer_.setReadOnly(false);
    host_.closeDialog();
    kit_.image.clear();
    history_.stop();
}

bool ExecutionDriver::deliverInterrupt(std::string_view type, std::uint16_t acknowledgeClocks) {
    kit_.cpu.cycles += acknowledgeClocks;
    return kit_.cpu.execInt(kit_.cpu.findHandler(type));
}

// A new key in lastKey interrupts the program only while it allows interrupts.
bool ExecutionDriver::keyPressed() {
    return !kit_.cpu.regs.testFlag(kInterruptFlag) || deliverInterrupt("40", kIntrClocks);
}

ExecutionDriver::LineStep ExecutionDriver::executeLine(bool refreshEachInstruction) {
    lastLine_ = kit_.currentLine;
    switch (dispatcher_.executeNextLine(refreshEachInstruction)) {
        case Dispatcher::Stop:
            return LineStep::Stopped;
        case Dispatcher::Halted:
            return LineStep::Halted;
        case Dispatcher::NoInstruction:
        case Dispatcher::Paused:  // one line never pauses
            return LineStep::Continue;
        case Dispatcher::Executed:
            break;
    }
    ++instructions_;
    return afterInstruction();
}

ExecutionDriver::LineStep ExecutionDriver::runLines(Dispatcher::Deadline nextEvent,
                                                    const Dispatcher::Watch* stopBefore) {
    // A trace sees every instruction, and a limit ends the run on its very instruction.
    Dispatcher::Deadline until = nextEvent;
    if (observer_) {
        until.instructions = instructions_ + 1;
    }
    if (instructionLimit_ != 0) {
        until.instructions = std::min(until.instructions, instructionLimit_);
    }
    switch (dispatcher_.run(instructions_, until, lastLine_, stopBefore)) {
        case Dispatcher::Stop:
            return LineStep::Stopped;
        case Dispatcher::Halted:
            return LineStep::Halted;
        case Dispatcher::Paused:
            return LineStep::Paused;
        default:
            break;
    }
    return afterInstruction();
}

// The trace and the limit, after the instruction counted last.
ExecutionDriver::LineStep ExecutionDriver::afterInstruction() {
    if (observer_) {
        observer_(lastLine_);
    }
    return instructionLimit_ != 0 && instructions_ >= instructionLimit_ ? LineStep::LimitReached
                                                                        : LineStep::Continue;
}

void ExecutionDriver::run() {
    runProgram(nullptr);
}

void ExecutionDriver::runToCursor() {
    const int line = host_.cursorLine();
    const Dispatcher::Watch atCursor = [this, line] { return kit_.currentLine == line; };
    runProgram(&atCursor);
}

void ExecutionDriver::runProgram(const Dispatcher::Watch* stopBefore) {
    if (emptyProgram()) {
        return;
    }
    prepare(true);
    if (buffer_.needsAssembly()) {
        kit_.pane.showStatus("Assembling...");
        if (!assembleAndLoad(kit_, buffer_.lineCount(), host_)) {
            assemblyFailed();
            kit_.pane.appendStatus("Aborting...");
            buffer_.setReadOnly(false);
            host_.invalidateMemory();
            return;
        }
        buffer_.setNeedsAssembly(false);
    }
    if (!buildProgramImage(kit_, host_.documentPath())) {
        buffer_.setReadOnly(false);
        buffer_.setNeedsAssembly(true);
        kit_.pane.reportError("Unable to open assembled file. Aborting...", WithLine::No);
        return;
    }
    if (!afterLoading()) {
        return;
    }

    host_.invalidateMemory();
    host_.openDialog(false);
    host_.setStatusText("");
    kit_.pane.showStatus("Simulating...");
    if (clock_.frequency() <= 0) {
        kit_.pane.appendStatus("Your system does'nt support high resln timers");
    } else if (kit_.hwTimerEnabled) {
        kit_.pane.appendStatus(" 1 Hz Timer enabled.");
    }

    kit_.currentLine = 0;
    kit_.lastKey = 0;  // no key pressed yet in this run
    dispatcher_.startRun();
    startEvents();
    const std::uint64_t start = events_.lastPump;
    // Only a run that can stop keeps a history: a plain Run pays nothing for Step Back.
    if (stopBefore != nullptr) {
        history_.start(kit_.cpu.memory);
    }
    followBreakpoints();
    Stretch end = runFree(stopBefore);
    if (end == Stretch::Paused) {
        host_.enterStepping();
        end = stepSession();
    }

    if (events_.speed == RunSpeed::KitClock) {
        host_.showPace(pacer_.total(kitSeconds(), wallSeconds()));
    }
    kit_.pane.showStatus(runDoneText(instructions_, clock_.milliseconds() - start));
    ending_ = endingOf(end);
    host_.refreshRegisters();
    host_.invalidateMemory();
    host_.playDoneSound();
    finish();
}

bool ExecutionDriver::afterLoading() {
    if (!loadedHook_ || loadedHook_()) {
        return true;
    }
    buffer_.setReadOnly(false);
    kit_.image.clear();
    return false;
}

void ExecutionDriver::startEvents() {
    const std::int64_t frequency = clock_.frequency();
    const bool highResTimer = frequency > 0;
    const bool paced = speed_ != RunSpeed::FullSpeed && wallClock_ != nullptr &&
                       wallClock_->frequency() > 0 && highResTimer;
    const std::int64_t startTicks = clock_.counter();
    events_ = {.started = true,
               .highResTimer = highResTimer,
               .speed = paced ? speed_ : RunSpeed::FullSpeed,
               .frequency = frequency,
               .lastTick = startTicks,
               .lastPump = clock_.milliseconds(),
               .scriptedKeyDue = keyInterval_,
               .kitStart = startTicks,
               .wallStart = paced ? wallClock_->counter() : 0};
    pacer_.start();
}

ExecutionDriver::Stretch ExecutionDriver::runFree(const Dispatcher::Watch* stopBefore) {
    if (!events_.started) {
        startEvents();
    }
    const bool paced = events_.speed != RunSpeed::FullSpeed;
    if (paced && events_.pausedAt >= 0) {
        // The kit's time stood still while the student stepped: so does the pace.
        events_.wallStart += wallClock_->counter() - events_.pausedAt;
    }
    Dispatcher::Deadline nextEvent{0, 0};
    for (;;) {
        // Between instructions the run only counts them; everything else waits for this.
        if (instructions_ >= nextEvent.instructions || kit_.cpu.clockCount() >= nextEvent.cycles) {
            EventStep step = serviceEvents();
            if (step == EventStep::Continue && events_.speed == RunSpeed::KitClock) {
                step = paceKitTime();
            } else if (step == EventStep::Continue && events_.speed == RunSpeed::Animate) {
                step = animateLine();
            }
            if (step != EventStep::Continue) {
                return step == EventStep::Stopped ? Stretch::Stopped : Stretch::Over;
            }
            nextEvent = nextEventDeadline();
        }
        LineStep result = runLines(nextEvent, stopBefore);
        if (result == LineStep::Halted) {
            result = timerAtHalt();
        }
        switch (result) {
            case LineStep::Continue:
                break;
            case LineStep::Paused:
                events_.pausedAt = paced ? wallClock_->counter() : -1;
                host_.refreshRegisters();
                host_.invalidateMemory();
                return Stretch::Paused;
            case LineStep::LimitReached:
                return Stretch::Limit;
            default:
                return Stretch::Over;
        }
    }
}

RunEnding ExecutionDriver::endingOf(Stretch end) const {
    if (kit_.pane.errorLatched()) {
        return RunEnding::Error;
    }
    switch (end) {
        case Stretch::Stopped:
            return RunEnding::Stopped;
        case Stretch::Limit:
            return RunEnding::Limit;
        default:
            return RunEnding::Halted;
    }
}

ExecutionDriver::TimerStep ExecutionDriver::fireTimer() {
    // Read each time: a connect statement can switch the timer on during the run.
    if (!events_.highResTimer || !kit_.hwTimerEnabled) {
        return TimerStep::Quiet;
    }
    const std::int64_t now = clock_.counter();
    if (now < events_.lastTick + events_.frequency) {
        return TimerStep::Quiet;
    }
    if (!deliverInterrupt("2", kNmiClocks)) {
        return TimerStep::Failed;
    }
    events_.lastTick = now;
    return TimerStep::Fired;
}

// The student may set a breakpoint while the run goes on: from then on the run can stop, and
// keeps the history Step Back needs.
void ExecutionDriver::followBreakpoints() {
    dispatcher_.followBreakpoints();
    if (dispatcher_.hasBreakpoints() && !history_.started()) {
        history_.start(kit_.cpu.memory);
    }
}

ExecutionDriver::EventStep ExecutionDriver::serviceEvents() {
    if (fireTimer() == TimerStep::Failed) {
        return EventStep::Failed;
    }
    const std::uint64_t now = clock_.milliseconds();
    if (now - events_.lastPump >= kMillisecondsBetweenPumps || now < events_.lastPump) {
        events_.lastPump = now;
        host_.pump();
        if (host_.takeStopRequest()) {
            return EventStep::Stopped;
        }
        followBreakpoints();
        if (host_.takeKey(kit_.lastKey) && !keyPressed()) {
            return EventStep::Failed;
        }
    }
    if (events_.nextScriptedKey < scriptedKeys_.size() && instructions_ >= events_.scriptedKeyDue) {
        kit_.lastKey = static_cast<std::uint8_t>(scriptedKeys_[events_.nextScriptedKey++]);
        events_.scriptedKeyDue += keyInterval_;
        if (!keyPressed()) {
            return EventStep::Failed;
        }
    }
    return EventStep::Continue;
}

Dispatcher::Deadline ExecutionDriver::nextEventDeadline() {
    Dispatcher::Deadline deadline{instructions_ + kInstructionsBetweenClockChecks,
                                  std::numeric_limits<std::uint64_t>::max()};
    if (events_.nextScriptedKey < scriptedKeys_.size()) {
        deadline.instructions = std::min(deadline.instructions, events_.scriptedKeyDue);
    }
    const auto cyclesBefore = [this, &deadline](std::int64_t counter) {
        if (const auto until = clock_.cyclesUntil(counter)) {
            deadline.cycles = std::min(deadline.cycles,
                                       kit_.cpu.clockCount() + std::max<std::uint64_t>(*until, 1));
        }
    };
    if (events_.highResTimer && kit_.hwTimerEnabled) {
        cyclesBefore(events_.lastTick + events_.frequency);
    }
    if (events_.speed == RunSpeed::KitClock) {
        cyclesBefore(clock_.counter() + events_.frequency / kPacedChecksPerSecond);
    } else if (events_.speed == RunSpeed::Animate) {
        deadline.instructions = instructions_ + 1;
    }
    return deadline;
}

double ExecutionDriver::kitSeconds() {
    return static_cast<double>(clock_.counter() - events_.kitStart) /
           static_cast<double>(events_.frequency);
}

double ExecutionDriver::wallSeconds() {
    return static_cast<double>(wallClock_->counter() - events_.wallStart) /
           static_cast<double>(wallClock_->frequency());
}

ExecutionDriver::EventStep ExecutionDriver::paceKitTime() {
    for (;;) {
        const double kit = kitSeconds();
        const double wall = wallSeconds();
        const double ahead = pacer_.lead(kit, wall);
        if (PaceReport report; pacer_.report(kit, wall, report)) {
            host_.showPace(report);
        }
        if (ahead <= 0) {
            return EventStep::Continue;
        }
        if (napStopped(ahead)) {
            return EventStep::Stopped;
        }
    }
}

// Like Step with Next pressed by itself: the line marked, the panes up to date, then the wait.
ExecutionDriver::EventStep ExecutionDriver::animateLine() {
    host_.setStatusText(dispatcher_.lastDispatchedText());
    // Lines without an instruction pass at once, but for a breakpoint's: the marker shows what
    // executes next.
    for (const DecodedInstruction* next = dispatcher_.nextInstruction();
         next != nullptr && next->operation == Operation::None &&
         !dispatcher_.breakpointAt(kit_.currentLine);
         next = dispatcher_.nextInstruction()) {
        dispatcher_.executeNextLine(false);
    }
    markLine(kit_.currentLine, false);
    host_.keepLineVisible(kit_.currentLine);
    host_.refreshRegisters();
    host_.invalidateMemory();
    const double shown = wallSeconds();
    for (;;) {
        const double left = shown + 1.0 / linesPerSecond_ - wallSeconds();
        if (left <= 0) {
            return EventStep::Continue;
        }
        if (napStopped(left)) {
            return EventStep::Stopped;
        }
    }
}

// One short nap of a paced run, at most `seconds`; true when Stop came meanwhile.
bool ExecutionDriver::napStopped(double seconds) {
    host_.rest(std::min(seconds, kRestSeconds));
    return host_.takeStopRequest();
}

// HLT ends the run, but a 1 Hz interrupt already due is taken before it, as before any other
// instruction; the handler returns to the HLT.
ExecutionDriver::LineStep ExecutionDriver::timerAtHalt() {
    const int afterHalt = kit_.currentLine;
    kit_.currentLine = lastLine_;  // where the handler returns
    switch (fireTimer()) {
        case TimerStep::Fired:
            return LineStep::Continue;
        case TimerStep::Failed:
            return LineStep::Stopped;
        case TimerStep::Quiet:
            break;
    }
    kit_.currentLine = afterHalt;
    return LineStep::Halted;
}

void ExecutionDriver::step() {
    if (emptyProgram()) {
        return;
    }
    prepare(true);
    kit_.pane.showStatus("Assembling...");
    if (!assembleAndLoad(kit_, buffer_.lineCount(), host_)) {
        assemblyFailed();
        buffer_.setReadOnly(false);
        host_.invalidateMemory();
        return;
    }
    buffer_.setNeedsAssembly(false);
    if (!buildProgramImage(kit_, host_.documentPath())) {
        buffer_.setReadOnly(false);
        kit_.pane.appendStatus("Unable to open assembled file. Aborting...");
        return;
    }
    if (!afterLoading()) {
        return;
    }

    host_.invalidateMemory();
    host_.openDialog(true);
    host_.setStatusText("");
    kit_.pane.showStatus("In Single-Step Mode.");
    kit_.pane.appendStatus("Disabling HW interrupts.");

    kit_.currentLine = 0;
    dispatcher_.startRun();
    events_ = {};  // started by the first command that runs on as Run does
    history_.start(kit_.cpu.memory);
    ending_ = endingOf(stepSession());
    host_.refreshRegisters();
    finish();
}

void ExecutionDriver::resetCpu() {
    kit_.currentLine = 0;
    kit_.cpu.reset();
    kit_.devices.ppi.reset();  // the 8251 keeps its state
    kit_.pane.clearStatus();
    host_.refreshRegisters();
    host_.scrollToTop();
    buffer_.setReadOnly(false);
    clearMarkers();
    host_.invalidateMemory();
    kit_.pane.showMemoryHint();
}

void ExecutionDriver::resetMemory() {
    kit_.cpu.memory.clear(true);
    host_.invalidateMemory();
    buffer_.setNeedsAssembly(true);
}

void ExecutionDriver::markLine(int line, bool isError) {
    const std::string path = toLower(host_.documentPath());
    const bool listFile = path.size() >= 3 && path.compare(path.size() - 3, 3, "lst") == 0;
    if ((buffer_.line(0).empty() && buffer_.lineCount() <= 1) || listFile || line < 0) {
        return;
    }
    // A breakpoint stays where the student put it, under any marker.
    for (int i = 0; i < buffer_.lineCount(); ++i) {
        const std::uint32_t flags = buffer_.lineFlags(i);
        const std::uint32_t marker = flags & ~kBreakpointMarker;
        if (marker == kExecutionMarker || marker == kErrorMarker) {
            buffer_.setLineFlags(i, flags & kBreakpointMarker);
        }
    }
    buffer_.setLineFlags(line,
                         buffer_.lineFlags(line) | (isError ? kErrorMarker : kExecutionMarker));
}

}  // namespace tarvix
