#include "simulator/step_history.h"

namespace tarvix {

void StepHistory::clear() {
    steps_.clear();
    bytes_ = 0;
}

void StepHistory::begin(const State& state, const KitMemory& memory) {
    pending_ = state;
    before_ = memory.bytes();
}

void StepHistory::end(const KitMemory& memory, std::uint64_t portAccesses) {
    Step step{pending_, {}, portAccesses != pending_.portAccesses};
    const auto& after = memory.bytes();
    for (std::size_t i = 0; i < kMemorySize; ++i) {
        if (after[i] != before_[i]) {
            step.bytes.emplace_back(static_cast<std::uint16_t>(kMemoryFirst + i), before_[i]);
        }
    }
    bytes_ += step.bytes.size();
    steps_.push_back(std::move(step));
    while (steps_.size() > kMaxSteps || (bytes_ > kMaxBytes && steps_.size() > 1)) {
        bytes_ -= steps_.front().bytes.size();
        steps_.pop_front();
    }
}

std::optional<StepHistory::Undone> StepHistory::undo(KitMemory& memory) {
    if (steps_.empty()) {
        return std::nullopt;
    }
    const Step& step = steps_.back();
    for (const auto& [address, value] : step.bytes) {
        memory.restoreByte(address, value);
    }
    Undone undone{step.state, step.reachedDevice};
    bytes_ -= step.bytes.size();
    steps_.pop_back();
    return undone;
}

}  // namespace tarvix
