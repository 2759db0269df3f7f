// Time as the run loop sees it: a high-resolution counter for the 1 Hz interrupt and the rate
// figure, and millisecond ticks. Tests inject a fake.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace tarvix {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t counter() = 0;
    // Counter ticks per second; 0 when there is no high-resolution counter.
    virtual std::int64_t frequency() = 0;
    virtual std::uint64_t milliseconds() = 0;
    // For a clock that the run's own instructions move: how many more 8086 clock cycles
    // bring the counter to `counter`. A clock of real time cannot know, and says nothing.
    virtual std::optional<std::uint64_t> cyclesUntil(std::int64_t counter) {
        static_cast<void>(counter);
        return std::nullopt;
    }
};

class SteadyClock : public Clock {
public:
    std::int64_t counter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::int64_t frequency() override { return 1'000'000'000; }
    std::uint64_t milliseconds() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
};

}  // namespace tarvix
