// What Step Back returns to: before each line that runs while a step back is possible (while
// stepping, and in a Run with breakpoints), the registers, the line and the counts; and each
// byte a line overwrote, found by comparing memory with a copy whenever the memory's count of
// writes moved. Bounded: past kMaxSteps lines, or kMaxBytes overwritten bytes in all, the
// oldest lines go.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "simulator/cpu_registers.h"
#include "simulator/decoded_instruction.h"
#include "simulator/kit_memory.h"

namespace tarvix {

class StepHistory {
public:
    static constexpr std::size_t kMaxSteps = 10000;
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

    // The machine as a line found it; its memory is in the journal.
    struct State {
        CpuRegisters regs;
        int line = 0;
        std::uint64_t instructions = 0;
        std::uint64_t cycles = 0;
        std::uint64_t oddWordTransfers = 0;
        const DecodedInstruction* lastDispatched = nullptr;  // what the dialog showed
        std::uint64_t portAccesses = 0;                      // the bus's count of IN, OUT, connect
    };

    // Forgets every line and follows `memory` until stop().
    void start(KitMemory& memory);
    void stop();
    bool started() const { return memory_ != nullptr; }

    // Before a line executes: the state to return to.
    void record(const State& state);

    std::size_t size() const { return steps_.size(); }

    // Takes the last line back: the bytes it overwrote go back into memory. Gives the state
    // before it and whether it reached a device (the bus's count is `portAccesses` now), or
    // nothing when no line is left.
    struct Undone {
        State state;
        bool reachedDevice = false;
    };
    std::optional<Undone> undo(std::uint64_t portAccesses);

private:
    struct Step {
        State state;
        std::uint64_t firstWrite = 0;  // the journal's count of writes when the line began
    };
    struct OverwrittenByte {
        std::uint16_t address;
        std::uint8_t value;
    };
    std::uint64_t writesKept() const { return journalStart_ + journal_.size(); }
    // Puts the bytes written since the last look into the journal, as the last line's.
    void catchUp();
    // Journals the bytes of [first, end) (offsets in the window) that differ from the copy.
    void keepChanged(std::size_t first, std::size_t end);

    std::deque<Step> steps_;
    std::deque<OverwrittenByte> journal_;
    std::uint64_t journalStart_ = 0;  // the count of writes before the journal's first
    KitMemory* memory_ = nullptr;
    std::array<std::uint8_t, kMemorySize> copy_{};  // memory as the journal last saw it
    std::uint64_t writesSeen_ = 0;
};

}  // namespace tarvix
