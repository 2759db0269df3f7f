// What Step Back returns to: for each step of a stepping session, the registers, the line and
// the counts before it and the memory bytes it changed. Each step compares the memory window
// before and after it, which costs nothing a student would notice and keeps only what changed.
// Bounded: past kMaxSteps steps, or kMaxBytes changed bytes in all, the oldest steps go.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "simulator/cpu_registers.h"
#include "simulator/decoded_instruction.h"
#include "simulator/kit_memory.h"

namespace tarvix {

class StepHistory {
public:
    static constexpr std::size_t kMaxSteps = 10000;
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

    // The machine as a step found it, beside its memory.
    struct State {
        CpuRegisters regs;
        int line = 0;
        std::uint64_t instructions = 0;
        std::uint64_t cycles = 0;
        std::uint64_t oddWordTransfers = 0;
        const DecodedInstruction* lastDispatched = nullptr;  // what the dialog showed
        std::uint64_t portAccesses = 0;                      // the bus's count of IN, OUT, connect
    };

    void clear();
    // Before a step: the state to return to, and the memory to compare with after it.
    void begin(const State& state, const KitMemory& memory);
    // After it: keeps the step, with the bytes it changed and whether it reached a device.
    void end(const KitMemory& memory, std::uint64_t portAccesses);

    std::size_t size() const { return steps_.size(); }

    // Takes the last step back: its bytes go back into memory; gives the state before it and
    // whether it reached a device, or nothing when no step is left.
    struct Undone {
        State state;
        bool reachedDevice = false;
    };
    std::optional<Undone> undo(KitMemory& memory);

private:
    struct Step {
        State state;
        std::vector<std::pair<std::uint16_t, std::uint8_t>> bytes;  // address, value before
        bool reachedDevice = false;
    };

    std::deque<Step> steps_;
    std::size_t bytes_ = 0;
    State pending_;
    std::array<std::uint8_t, kMemorySize> before_{};
};

}  // namespace tarvix
