// Executes one source line: reads it once per run into its decoded record, advances the line
// pointer and calls the record's executor.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editor/x86_text_buffer.h"
#include "simulator/decoded_instruction.h"
#include "simulator/kit.h"
#include "simulator/run_host.h"
#include "simulator/step_history.h"

namespace tarvix {

class Dispatcher {
public:
    // Paused: a run stopped before a line, at a breakpoint or where its watch said.
    enum Result { Stop, Executed, NoInstruction, Halted, Paused };

    // `markError` puts the error marker on a 0-based line.
    Dispatcher(Kit& kit, const CX86TextBuffer& buffer, RunHost& host,
               std::function<void(int)> markError)
        : kit_(kit), buffer_(buffer), host_(host), markError_(std::move(markError)) {}

    // Forgets the lines read during an earlier run: the labels may have moved since. Reads
    // the breakpoints the student set in the text.
    void startRun();
    // Reads the breakpoints again when the student set or cleared one since they were read.
    void followBreakpoints();
    bool hasBreakpoints() const { return !breakpoints_.empty(); }
    bool breakpointAt(int line) const {
        const auto index = static_cast<std::size_t>(line);
        return index < breakpoints_.size() && breakpoints_[index] != 0;
    }

    Result executeNextLine(bool refreshEachInstruction);
    // When a run must next look up from its instructions: at an instruction count, or at a
    // clock count of the processor, whichever comes first.
    struct Deadline {
        std::uint64_t instructions;
        std::uint64_t cycles;
    };
    // Asked before each line of a run that has one: true to stop before that line.
    using Watch = std::function<bool()>;
    // Executes lines as Run does until the deadline (Executed) or a line ends the run (Stop,
    // Halted), counting executed instructions; `lastLine` is the line dispatched last. Stops
    // before a breakpoint's line or when `watch` says so (Paused).
    Result run(std::uint64_t& executed, Deadline deadline, int& lastLine,
               const Watch* watch = nullptr);

    // The record of the line about to execute; none past the end of the text. Inline: every
    // instruction comes here, and almost every one finds its line read already.
    const DecodedInstruction* nextInstruction() { return lineIn(kit_, lines_); }
    // The last line dispatched, executed or not, as the execution dialog shows it.
    std::string lastDispatchedText() const;
    const DecodedInstruction* lastDispatched() const { return lastDispatched_; }

    // A run with breakpoints or a watch records each line here before executing it.
    void recordLinesIn(StepHistory& history) { history_ = &history; }
    // The machine before the next line, `executed` instructions into the run.
    StepHistory::State stateBefore(std::uint64_t executed) const;
    // Step Back: puts the machine and the line the dialog shows back as `state` found them,
    // and gives the instructions executed then.
    std::uint64_t restore(const StepHistory::State& state);

private:
    using LineTable = std::span<std::optional<DecodedInstruction>>;

    const DecodedInstruction* lineIn(const Kit& kit, LineTable lines) {
        const auto current = static_cast<std::size_t>(kit.currentLine);
        if (current < lines.size() && lines[current]) {
            return &*lines[current];
        }
        return readNextLine();
    }
    const DecodedInstruction* readNextLine();
    void readBreakpoints();
    template <bool kChecked, bool kTimed>
    Result runLines(std::uint64_t& executed, Deadline deadline, int& lastLine, const Watch* watch);
    Result dispatch(Kit& kit, LineTable lines, bool refreshEachInstruction, int& refreshCounter);

    Kit& kit_;
    const CX86TextBuffer& buffer_;
    RunHost& host_;
    std::function<void(int)> markError_;
    // Each line read when the run first reaches it; sized once a run, so records never move.
    std::vector<std::optional<DecodedInstruction>> lines_;
    // One entry a line when the text has a breakpoint; empty when it has none.
    std::vector<std::uint8_t> breakpoints_;
    std::uint64_t breakpointRevision_ = 0;
    const DecodedInstruction* lastDispatched_ = nullptr;
    StepHistory* history_ = nullptr;
};

}  // namespace tarvix
