// The kit's own time: the 8086 clock cycles the run has executed over the crystal's frequency.
// The 1 Hz timer, the 8251's pacing and the LED blanking read it, so a run driven by it gives
// the same result on every machine, however fast the host.
#pragma once

#include <algorithm>

#include "common/clock.h"
#include "simulator/cpu8086.h"

namespace tarvix {

class KitClock : public Clock {
public:
    static constexpr int kDefaultMegahertz = 5;
    static constexpr int kMinMegahertz = 1;
    static constexpr int kMaxMegahertz = 99;

    void follow(const Cpu8086& cpu) { cpu_ = &cpu; }
    void setMegahertz(int megahertz) {
        megahertz_ = std::clamp(megahertz, kMinMegahertz, kMaxMegahertz);
    }
    int megahertz() const { return megahertz_; }

    std::uint64_t cycles() const { return cpu_ ? cpu_->clockCount() : 0; }
    std::uint64_t microseconds() const { return cycles() / static_cast<std::uint64_t>(megahertz_); }

    std::int64_t counter() override { return static_cast<std::int64_t>(cycles()); }
    std::int64_t frequency() override { return std::int64_t{megahertz_} * 1'000'000; }
    std::uint64_t milliseconds() override { return microseconds() / 1000; }
    std::optional<std::uint64_t> cyclesUntil(std::int64_t target) override {
        const std::int64_t now = counter();
        return static_cast<std::uint64_t>(target > now ? target - now : 0);
    }

private:
    const Cpu8086* cpu_ = nullptr;
    int megahertz_ = kDefaultMegahertz;
};

}  // namespace tarvix
