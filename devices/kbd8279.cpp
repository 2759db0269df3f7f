#include "devices/kbd8279.h"

#include <algorithm>
#include <numeric>

namespace tarvix {

namespace {

// Bits 7-5 of a command byte.
enum Command : unsigned {
    kModeSet = 0,
    kWriteDisplay = 4,
    kClear = 6,
};

// Clear fill by bits 3-2: blank, blank, segment f alone, every segment.
constexpr std::array<std::uint8_t, 4> kClearFill = {0x00, 0x00, 0x20, 0xFF};

constexpr std::uint8_t kRightEntry = 0x10;
constexpr std::uint8_t kSixteenDigits = 0x08;
constexpr std::uint8_t kAutoIncrement = 0x10;

}  // namespace

void Kbd8279::setIdentityMap() {
    std::iota(digitMap_.begin(), digitMap_.end(), 0);
}

void Kbd8279::showDigits() {
    for (int digit = 0; digit < kLed8279Digits; ++digit) {
        const int entry = digitMap_[static_cast<std::size_t>(digit)];
        panels_.setLed8279Digit(digit, ram_[static_cast<std::size_t>(entry)]);
    }
}

bool Kbd8279::writeCommand(std::uint8_t value) {
    switch (value >> 5) {
        case kModeSet:
            // The entry mode is taken even from a refused byte, as the kit does.
            leftEntry_ = (value & kRightEntry) == 0;
            if ((value & kSixteenDigits) == 0) {
                return pane_.reportError("Choose left(08H) or right(18H) entry /(16 digits)",
                                         WithLine::Yes);
            }
            setIdentityMap();
            return true;
        case kWriteDisplay:
            autoIncrement_ = (value & kAutoIncrement) != 0;
            address_ = value & 0x0F;
            setIdentityMap();
            return true;
        case kClear:
            ram_.fill(kClearFill[(value >> 2) & 3U]);
            showDigits();
            setIdentityMap();
            return true;
        default:
            return pane_.reportError("8279 command not implemented", WithLine::Yes);
    }
}

bool Kbd8279::writeData(std::uint8_t value) {
    if (!leftEntry_) {
        std::rotate(digitMap_.begin(), digitMap_.begin() + 1, digitMap_.end());
    }
    ram_[static_cast<std::size_t>(address_)] = value;
    if (autoIncrement_) {
        address_ = (address_ + 1) % kLed8279Digits;
    }
    showDigits();
    return true;
}

}  // namespace tarvix
