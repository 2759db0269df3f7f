#include "simulator/dispatcher.h"

#include <limits>
#include <span>

namespace tarvix {

namespace {

constexpr int kRefreshInterval = 1501;

}  // namespace

void Dispatcher::startRun() {
    lines_.clear();
    lines_.resize(static_cast<std::size_t>(buffer_.lineCount()));
    lastDispatched_ = nullptr;
    readBreakpoints();
}

void Dispatcher::readBreakpoints() {
    breakpointRevision_ = buffer_.breakpointRevision();
    breakpoints_.clear();
    for (int line = 0; line < buffer_.lineCount(); ++line) {
        if ((buffer_.lineFlags(line) & kBreakpointMarker) != 0) {
            breakpoints_.resize(lines_.size());
            breakpoints_[static_cast<std::size_t>(line)] = 1;
        }
    }
}

void Dispatcher::followBreakpoints() {
    if (buffer_.breakpointRevision() != breakpointRevision_) {
        readBreakpoints();
    }
}

const DecodedInstruction* Dispatcher::readNextLine() {
    // The text is read-only while a run lasts, so its lines are those startRun counted.
    const auto current = static_cast<std::size_t>(kit_.currentLine);
    if (current >= lines_.size()) {
        return nullptr;
    }
    auto& slot = lines_[current];
    if (!slot) {
        slot = decodeLine(buffer_.line(kit_.currentLine), kit_.cpu);
    }
    return &*slot;
}

std::string Dispatcher::lastDispatchedText() const {
    if (lastDispatched_ == nullptr) {
        return " ";
    }
    const DecodedInstruction& ins = *lastDispatched_;
    return ins.sourceText.empty() ? ins.mnemonic + " " + ins.destText
                                  : ins.mnemonic + " " + ins.destText + "," + ins.sourceText;
}

// One line, as Run and Step execute it. Inlined into the run loop, which holds the kit, the
// table of lines and its counters in locals: an executor is a call the compiler cannot see
// into, so whatever the loop kept in the dispatcher it would read again after every line.
[[gnu::always_inline]] inline Dispatcher::Result Dispatcher::dispatch(Kit& kit, LineTable lines,
                                                                      bool refreshEachInstruction,
                                                                      int& refreshCounter) {
    const DecodedInstruction* next = lineIn(kit, lines);
    if (next == nullptr) {
        kit.pane.reportError("Execution beyond valid opcode (No Hlt)", WithLine::No);
        return Stop;
    }
    const DecodedInstruction& line = *next;
    int& current = kit.currentLine;
    ++current;
    lastDispatched_ = &line;
    if (line.operation == Operation::None) {
        return NoInstruction;
    }

    Outcome result = Outcome::Failed;
    if (line.executor == nullptr) {
        kit.pane.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    } else {
        result = line.executor(kit, line);
    }
    if (result != Outcome::Halted) {
        kit.cpu.cycles += line.clocks.clocks;
    }
    switch (result) {
        case Outcome::Failed:
            markError_(current - 1);
            current = 0;
            return Stop;
        case Outcome::Halted:
            return Halted;
        case Outcome::ExecutedQuietly:
            return Executed;
        case Outcome::Executed:
            break;
    }

    if (refreshEachInstruction) {
        host_.refreshRegisters();
    } else {
        if (++refreshCounter < kRefreshInterval) {
            return Executed;
        }
        host_.setStatusText(line.text);
        host_.refreshRegisters();
        refreshCounter = 0;
    }
    if (kit.cpu.memory.modified) {
        host_.invalidateMemory();
        kit.cpu.memory.modified = false;
    }
    return Executed;
}

Dispatcher::Result Dispatcher::executeNextLine(bool refreshEachInstruction) {
    return dispatch(kit_, lines_, refreshEachInstruction, kit_.refreshCounter);
}

StepHistory::State Dispatcher::stateBefore(std::uint64_t executed) const {
    return {.regs = kit_.cpu.regs,
            .line = kit_.currentLine,
            .instructions = executed,
            .cycles = kit_.cpu.cycles,
            .oddWordTransfers = kit_.cpu.memory.oddWordTransfers,
            .lastDispatched = lastDispatched_,
            .portAccesses = kit_.ports.accesses};
}

std::uint64_t Dispatcher::restore(const StepHistory::State& state) {
    kit_.cpu.regs = state.regs;
    kit_.currentLine = state.line;
    kit_.cpu.cycles = state.cycles;
    kit_.cpu.memory.oddWordTransfers = state.oddWordTransfers;
    lastDispatched_ = state.lastDispatched;
    kit_.ports.accesses = state.portAccesses;
    return state.instructions;
}

// Each kind of loop a function of its own: inlined together into run(), they shared registers
// badly and the plain loop lost a fifth of its speed.
template <bool kChecked, bool kTimed>
[[gnu::noinline]] Dispatcher::Result Dispatcher::runLines(std::uint64_t& executed,
                                                          Deadline deadline, int& lastLine,
                                                          const Watch* watch) {
    Kit& kit = kit_;
    const LineTable lines = lines_;
    const std::span<const std::uint8_t> marks = breakpoints_;
    std::uint64_t count = executed;
    int refreshCounter = kit.refreshCounter;
    int dispatched = lastLine;
    Result result = Executed;
    while (count < deadline.instructions && (!kTimed || kit.cpu.clockCount() < deadline.cycles)) {
        if constexpr (kChecked) {
            const auto current = static_cast<std::size_t>(kit.currentLine);
            if ((current < marks.size() && marks[current] != 0) ||
                (watch != nullptr && (*watch)())) {
                result = Paused;
                break;
            }
            if (history_ != nullptr) {
                history_->record(stateBefore(count));
            }
        }
        dispatched = kit.currentLine;
        const Result step = dispatch(kit, lines, false, refreshCounter);
        if (step == Executed) {
            ++count;
        } else if (step != NoInstruction) {
            result = step;
            break;
        }
    }
    executed = count;
    kit.refreshCounter = refreshCounter;
    lastLine = dispatched;
    return result;
}

// A run pays only for what it uses: the checks before each line when it has breakpoints or a
// watch, the clock comparison when it has a clock deadline (Kit clock, the 1 Hz timer).
Dispatcher::Result Dispatcher::run(std::uint64_t& executed, Deadline deadline, int& lastLine,
                                   const Watch* watch) {
    const bool checked = watch != nullptr || !breakpoints_.empty();
    const bool timed = deadline.cycles != std::numeric_limits<std::uint64_t>::max();
    if (checked) {
        return timed ? runLines<true, true>(executed, deadline, lastLine, watch)
                     : runLines<true, false>(executed, deadline, lastLine, watch);
    }
    return timed ? runLines<false, true>(executed, deadline, lastLine, watch)
                 : runLines<false, false>(executed, deadline, lastLine, watch);
}

}  // namespace tarvix
