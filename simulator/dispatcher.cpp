#include "simulator/dispatcher.h"

#include <limits>

namespace tarvix {

namespace {

constexpr int kRefreshInterval = 1501;

}  // namespace

void Dispatcher::startRun() {
    lines_.clear();
    lines_.resize(static_cast<std::size_t>(buffer_.lineCount()));
    lastDispatched_ = nullptr;
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

template <bool kTimed>
Dispatcher::Result Dispatcher::runLines(std::uint64_t& executed, Deadline deadline, int& lastLine) {
    Kit& kit = kit_;
    const LineTable lines = lines_;
    std::uint64_t count = executed;
    int refreshCounter = kit.refreshCounter;
    int dispatched = lastLine;
    Result result = Executed;
    while (count < deadline.instructions && (!kTimed || kit.cpu.clockCount() < deadline.cycles)) {
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

// A run with no clock deadline (Full speed, with the 1 Hz timer off) does not read the clock
// count between lines.
Dispatcher::Result Dispatcher::run(std::uint64_t& executed, Deadline deadline, int& lastLine) {
    if (deadline.cycles == std::numeric_limits<std::uint64_t>::max()) {
        return runLines<false>(executed, deadline, lastLine);
    }
    return runLines<true>(executed, deadline, lastLine);
}

}  // namespace tarvix
