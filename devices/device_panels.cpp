#include "devices/device_panels.h"

#include "devices/ppi8255.h"

namespace tarvix {

namespace {

bool validDigit(int digit, int count) {
    return digit >= 0 && digit < count;
}

}  // namespace

void RecordedPanels::setLed8255Digit(int digit, std::uint8_t pattern) {
    if (validDigit(digit, kLed8255Digits)) {
        led8255_[static_cast<std::size_t>(digit)] = pattern;
    }
}

void RecordedPanels::setLed8279Digit(int digit, std::uint8_t pattern) {
    if (validDigit(digit, kLed8279Digits)) {
        led8279_[static_cast<std::size_t>(digit)] = pattern;
    }
}

void RecordedPanels::armBlankTimer(int digit) {
    if (validDigit(digit, kLed8255Digits)) {
        blankDeadline_[static_cast<std::size_t>(digit)] = nowMilliseconds() + kBlankMilliseconds;
    }
}

bool RecordedPanels::blankTimerArmed(int digit) const {
    return validDigit(digit, kLed8255Digits) &&
           blankDeadline_[static_cast<std::size_t>(digit)].has_value();
}

// The high-resolution counter when there is one: the command line keeps the kit's own time
// there, and the display must follow the kit, not the host.
std::int64_t RecordedPanels::nowMilliseconds() {
    const std::int64_t frequency = clock_.frequency();
    if (frequency <= 0) {
        return static_cast<std::int64_t>(clock_.milliseconds());
    }
    const std::int64_t ticks = clock_.counter();
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

void RecordedPanels::expireBlankTimers(Ppi8255& ppi) {
    if (!isVisible(Panel::Led8255)) {
        return;
    }
    const std::int64_t now = nowMilliseconds();
    for (int digit = 0; digit < kLed8255Digits; ++digit) {
        auto& deadline = blankDeadline_[static_cast<std::size_t>(digit)];
        if (!deadline || now < *deadline) {
            continue;
        }
        deadline.reset();
        std::uint8_t portB = 0;
        if (ppi.readOutputLatch(Ppi8255::kPortB, portB) &&
            ((portB >> (kLed8255Digits - 1 - digit)) & 1) != 0) {
            setLed8255Digit(digit, 0);
        }
    }
}

}  // namespace tarvix
