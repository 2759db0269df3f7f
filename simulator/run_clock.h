// The time the kit's devices and its run loop read in the desktop program: real time at Full
// speed and in Animate, the kit's own time (cycles over its crystal) at Kit clock.
#pragma once

#include "common/clock.h"
#include "simulator/kit_clock.h"

namespace tarvix {

class RunClock : public Clock {
public:
    KitClock kit;

    void useKitTime(bool kitTime) { kitTime_ = kitTime; }
    bool kitTime() const { return kitTime_; }

    std::int64_t counter() override { return kitTime_ ? kit.counter() : steady_.counter(); }
    std::int64_t frequency() override { return kitTime_ ? kit.frequency() : steady_.frequency(); }
    std::uint64_t milliseconds() override {
        return kitTime_ ? kit.milliseconds() : steady_.milliseconds();
    }
    std::optional<std::uint64_t> cyclesUntil(std::int64_t counter) override {
        return kitTime_ ? kit.cyclesUntil(counter) : std::nullopt;
    }

private:
    SteadyClock steady_;
    bool kitTime_ = false;
};

}  // namespace tarvix
