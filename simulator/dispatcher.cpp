#include "simulator/dispatcher.h"

#include <span>

namespace tarvix {

namespace {

constexpr int kRefreshInterval = 1501;

}  // namespace

void Dispatcher::startRun() {
    lines_.clear();
    lines_.resize(static_cast<std::size_t>(buffer_.lineCount()));
    lastDispatched_ = nullptr;
    breakpoints_.clear();
    for (int line = 0; line < buffer_.lineCount(); ++line) {
        if ((buffer_.lineFlags(line) & kBreakpointMarker) != 0) {
            breakpoints_.resize(lines_.size());
            breakpoints_[static_cast<std::size_t>(line)] = 1;
        }
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

// Inlined into each of the run loops: the call would cost a run a good part of its speed.
[[gnu::always_inline]] inline Dispatcher::Result Dispatcher::dispatch(bool refreshEachInstruction) {
    const DecodedInstruction* next = nextInstruction();
    if (next == nullptr) {
        kit_.pane.reportError("Execution beyond valid opcode (No Hlt)", WithLine::No);
        return Stop;
    }
    const DecodedInstruction& line = *next;
    int& current = kit_.currentLine;
    ++current;
    lastDispatched_ = &line;
    if (line.operation == Operation::None) {
        return NoInstruction;
    }

    Outcome result = Outcome::Failed;
    if (line.executor == nullptr) {
        kit_.pane.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    } else {
        result = line.executor(kit_, line);
    }
    if (result != Outcome::Halted) {
        kit_.cpu.cycles += line.clocks.clocks;
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
        if (++kit_.refreshCounter < kRefreshInterval) {
            return Executed;
        }
        host_.setStatusText(line.text);
        host_.refreshRegisters();
        kit_.refreshCounter = 0;
    }
    if (kit_.cpu.memory.modified) {
        host_.invalidateMemory();
        kit_.cpu.memory.modified = false;
    }
    return Executed;
}

Dispatcher::Result Dispatcher::executeNextLine(bool refreshEachInstruction) {
    return dispatch(refreshEachInstruction);
}

template <bool kChecked>
Dispatcher::Result Dispatcher::runLines(std::uint64_t& executed, Deadline deadline, int& lastLine,
                                        const Watch* watch) {
    // Held here, so that the loop need not read them again after every line.
    const std::span<const std::uint8_t> marks = breakpoints_;
    while (executed < deadline.instructions && kit_.cpu.clockCount() < deadline.cycles) {
        if constexpr (kChecked) {
            const auto current = static_cast<std::size_t>(kit_.currentLine);
            if ((current < marks.size() && marks[current] != 0) ||
                (watch != nullptr && (*watch)())) {
                return Paused;
            }
        }
        lastLine = kit_.currentLine;
        const Result result = dispatch(false);
        if (result == Executed) {
            ++executed;
        } else if (result != NoInstruction) {
            return result;
        }
    }
    return Executed;
}

Dispatcher::Result Dispatcher::run(std::uint64_t& executed, Deadline deadline, int& lastLine,
                                   const Watch* watch) {
    // A run without breakpoints pays nothing for them.
    if (watch != nullptr || !breakpoints_.empty()) {
        return runLines<true>(executed, deadline, lastLine, watch);
    }
    return runLines<false>(executed, deadline, lastLine, watch);
}

}  // namespace tarvix
