#include "simulator/step_history.h"

namespace tarvix {

void StepHistory::start(KitMemory& memory) {
    steps_.clear();
    journal_.clear();
    journalStart_ = 0;
    memory_ = &memory;
    copy_ = memory.bytes();
    writesSeen_ = memory.writes;
}

void StepHistory::stop() {
    memory_ = nullptr;
}

void StepHistory::catchUp() {
    if (memory_ == nullptr || memory_->writes == writesSeen_) {
        return;
    }
    writesSeen_ = memory_->writes;
    const auto& now = memory_->bytes();
    for (std::size_t i = 0; i < kMemorySize; ++i) {
        if (now[i] != copy_[i]) {
            journal_.push_back({static_cast<std::uint16_t>(kMemoryFirst + i), copy_[i]});
            copy_[i] = now[i];
        }
    }
}

void StepHistory::record(const State& state) {
    catchUp();
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
    catchUp();
    const Step step = steps_.back();
    steps_.pop_back();
    // Newest first: a byte written twice ends as it was before the first write.
    for (; writesKept() > step.firstWrite; journal_.pop_back()) {
        const OverwrittenByte& byte = journal_.back();
        memory_->restoreByte(byte.address, byte.value);
        copy_[byte.address - kMemoryFirst] = byte.value;
    }
    return Undone{step.state, portAccesses != step.state.portAccesses};
}

}  // namespace tarvix
