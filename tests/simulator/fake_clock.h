// A clock that moves only when the test moves it, or by a fixed step per reading.
#pragma once

#include "simulator/clock.h"

namespace tarvix {

class FakeClock : public Clock {
public:
    std::int64_t ticks = 0;
    std::int64_t ticksPerSecond = 1000;
    std::uint64_t millis = 0;
    std::uint64_t millisPerReading = 0;
    std::int64_t ticksPerReading = 0;

    std::int64_t counter() override {
        const std::int64_t now = ticks;
        ticks += ticksPerReading;
        return now;
    }
    std::int64_t frequency() override { return ticksPerSecond; }
    std::uint64_t milliseconds() override {
        const std::uint64_t now = millis;
        millis += millisPerReading;
        return now;
    }
};

}  // namespace tarvix
