#include "simulator/step_history.h"

namespace tarvix {

void StepHistory::start(KitMemory& memory) {
    stop();
    steps_.clear();
    journal_.clear();
    journalStart_ = 0;
    memory_ = &memory;
    memory.journal = &journal_;
}

void StepHistory::stop() {
    if (memory_ != nullptr) {
        memory_->journal = nullptr;
        memory_ = nullptr;
    }
}

void StepHistory::record(const State& state) {
    steps_.push_back({state, writesKept()});
    while (steps_.size() > kMaxSteps ||
           (writesKept() - steps_.front().firstWrite > kMaxBytes && steps_.size() > 1)) {
        steps_.pop_front();
    }
    // Writes before the oldest line kept can never be taken back.
    for (; journalStart_ < steps_.front().firstWrite; ++journalStart_) {
        journal_.pop_front();
    }
}

std::optional<StepHistory::Undone> StepHistory::undo(std::uint64_t portAccesses) {
    if (steps_.empty() || memory_ == nullptr) {
        return std::nullopt;
    }
    const Step step = steps_.back();
    steps_.pop_back();
    // Newest first: a byte written twice by the line ends as it was before the first write.
    for (; writesKept() > step.firstWrite; journal_.pop_back()) {
        memory_->restoreByte(journal_.back().address, journal_.back().value);
    }
    return Undone{step.state, portAccesses != step.state.portAccesses};
}

}  // namespace tarvix
