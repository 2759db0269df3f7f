// The kit's own time for a batch run. The high-resolution counter advances with the executed
// instructions, 2 µs each (an 8086 at 5 MHz averages about ten clocks an instruction), so the
// 1 Hz timer, the 8251's pacing and the LED blanking give the same report on every machine.
// Milliseconds stay the host's: they time the rate figure and the pumping.
#pragma once

#include "common/clock.h"
#include "simulator/execution_driver.h"

namespace tarvix {

class KitTimeClock : public Clock {
public:
    static constexpr std::int64_t kInstructionsPerSecond = 500'000;

    void follow(const ExecutionDriver& driver) { driver_ = &driver; }

    std::int64_t counter() override {
        return driver_ ? static_cast<std::int64_t>(driver_->lastInstructionCount()) : 0;
    }
    std::int64_t frequency() override { return kInstructionsPerSecond; }
    std::uint64_t milliseconds() override { return host_.milliseconds(); }
    std::optional<std::uint64_t> instructionsUntil(std::int64_t target) override {
        const std::int64_t now = counter();
        return static_cast<std::uint64_t>(target > now ? target - now : 0);
    }

private:
    const ExecutionDriver* driver_ = nullptr;
    SteadyClock host_;
};

}  // namespace tarvix
