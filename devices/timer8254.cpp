#include "devices/timer8254.h"

namespace tarvix {

namespace {

constexpr std::uint8_t kCounterBits = 0xC0;
constexpr std::uint8_t kCounter2 = 0x80;
constexpr std::uint8_t kModeBits = 0x0F;  // mode (3-1) and BCD (0)
constexpr std::uint8_t kMode3Binary = 0x06;
constexpr std::uint8_t kAccessBits = 0x30;
constexpr std::uint8_t kLatch = 0x00;
constexpr std::uint8_t kLsbOnly = 0x10;
constexpr std::uint8_t kMsbOnly = 0x20;
constexpr std::uint8_t kLsbThenMsb = 0x30;

}  // namespace

bool Timer8254::writeControl(std::uint8_t value) {
    if ((value & kCounterBits) != kCounter2) {
        return pane_.reportError("Program only counter 2", WithLine::Yes);
    }
    if ((value & kModeBits) != kMode3Binary) {
        return pane_.reportError("Only mode 3 supported", WithLine::Yes);
    }
    if ((value & kAccessBits) == kLatch) {
        return pane_.reportError("counter latch command not supported", WithLine::Yes);
    }
    if ((value & kAccessBits) == kLsbThenMsb) {
        expectLsb_ = true;
    }
    control_ = value;
    return true;
}

bool Timer8254::writeData(std::uint8_t value) {
    if (control_ == 0) {
        return pane_.reportError("Please set control word first", WithLine::Yes);
    }
    switch (control_ & kAccessBits) {
        case kLsbOnly:
            count_ = value;
            break;
        case kMsbOnly:
            count_ = static_cast<std::uint16_t>(value << 8);
            break;
        default:
            if (expectLsb_) {
                // Silence until the high byte completes the new count.
                count_ = value;
                expectLsb_ = false;
                output_.stop();
                return true;
            }
            expectLsb_ = true;
            count_ = static_cast<std::uint16_t>((value << 8) | (count_ & 0xFF));
            break;
    }
    playCount();
    return true;
}

// Counts below 109 give pitches above what the image can hold: silence, as on the kit.
void Timer8254::playCount() {
    if (count_ == 0) {
        output_.stop();
        return;
    }
    const int frequency = kInputClockHz / count_;
    if (!sound_.build(frequency)) {
        output_.stop();
        return;
    }
    output_.playLooped(sound_.image(), frequency);
}

}  // namespace tarvix
