#include "simulator/step_history.h"

#include <algorithm>
#include <cstring>

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
    // One write (nearly every line that writes) changed at most the two bytes at its address;
    // after more, the whole window is compared, a block at a time.
    const bool oneWrite = memory_->writes - writesSeen_ == 1;
    writesSeen_ = memory_->writes;
    if (oneWrite) {
        const std::size_t at = memory_->lastWrite - kMemoryFirst;
        keepChanged(at, std::min(at + 2, kMemorySize));
        return;
    }
    constexpr std::size_t kBlock = 64;
    for (std::size_t block = 0; block < kMemorySize; block += kBlock) {
        if (std::memcmp(memory_->bytes().data() + block, copy_.data() + block, kBlock) != 0) {
            keepChanged(block, block + kBlock);
        }
    }
}

void StepHistory::keepChanged(std::size_t first, std::size_t end) {
    const auto& now = memory_->bytes();
    for (std::size_t i = first; i < end; ++i) {
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
