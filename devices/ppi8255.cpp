#include "devices/ppi8255.h"

namespace tarvix {

namespace {

constexpr std::string_view kOnlyMode0 = "8255 - Only mode 0 is supported";
constexpr std::string_view kNotOutput = "8255 port -not in output mode";
constexpr std::string_view kNotInput = "8255 port -not in input mode";

// Control word bits: 1 makes the port (or half of C) an input.
constexpr std::uint8_t kModeSet = 0x80;
constexpr std::uint8_t kOtherModes = 0x64;  // group A mode (bits 6-5) and group B mode (bit 2)
constexpr std::uint8_t kAInput = 0x10;
constexpr std::uint8_t kCUpperInput = 0x08;
constexpr std::uint8_t kBInput = 0x02;
constexpr std::uint8_t kCLowerInput = 0x01;

}  // namespace

bool Ppi8255::modeIsValid() const {
    return (control_ & kModeSet) != 0 && (control_ & kOtherModes) == 0;
}

bool Ppi8255::isOutput(std::uint16_t port) const {
    switch (port) {
        case kPortA:
            return (control_ & kAInput) == 0;
        case kPortB:
            return (control_ & kBInput) == 0;
        default:  // C: either half will do
            return (control_ & kCLowerInput) == 0 || (control_ & kCUpperInput) == 0;
    }
}

bool Ppi8255::isInput(std::uint16_t port) const {
    switch (port) {
        case kPortA:
            return (control_ & kAInput) != 0;
        case kPortB:
            return (control_ & kBInput) != 0;
        default:
            return (control_ & kCLowerInput) != 0 || (control_ & kCUpperInput) != 0;
    }
}

bool Ppi8255::anyDeviceVisible() const {
    return panels_.isVisible(Panel::Stepper) || panels_.isVisible(Panel::Scope) ||
           panels_.isVisible(Panel::Led8255);
}

std::uint8_t Ppi8255::latch(std::uint16_t port) const {
    switch (port) {
        case kPortA:
            return portA_;
        case kPortB:
            return portB_;
        default:
            return portC_;
    }
}

bool Ppi8255::write(std::uint16_t port, std::uint8_t value) {
    if (port == kControlPort) {
        // Stored even when refused, so that every later port access is refused too.
        control_ = value;
        return modeIsValid() || pane_.reportError(kOnlyMode0, WithLine::Yes);
    }
    if (!modeIsValid()) {
        return pane_.reportError(kOnlyMode0, WithLine::Yes);
    }
    // A write asks for a device before the direction; a read the other way round.
    if (!anyDeviceVisible()) {
        return pane_.reportError(MessageId::NoPeripheralConnected, WithLine::Yes);
    }
    if (!isOutput(port)) {
        return pane_.reportError(kNotOutput, WithLine::Yes);
    }
    switch (port) {
        case kPortA:
            portA_ = value;
            break;
        case kPortB: {
            const std::uint8_t oldB = portB_;
            portB_ = value;
            armBlankTimers(oldB);
            break;
        }
        default:
            storeC(value);
            break;
    }
    driveDevice();
    return true;
}

void Ppi8255::storeC(std::uint8_t value) {
    // A half programmed as input keeps its latch.
    if ((control_ & kCLowerInput) == 0) {
        portC_ = static_cast<std::uint8_t>((portC_ & 0xF0) | (value & 0x0F));
    }
    if ((control_ & kCUpperInput) == 0) {
        portC_ = static_cast<std::uint8_t>((portC_ & 0x0F) | (value & 0xF0));
    }
}

// A digit just deselected keeps its pattern for the persistence of the eye, then goes dark.
void Ppi8255::armBlankTimers(std::uint8_t oldB) {
    if (!panels_.isVisible(Panel::Led8255) || panels_.isVisible(Panel::Stepper) ||
        panels_.isVisible(Panel::Scope)) {
        return;
    }
    const unsigned deselected = portB_ & ~unsigned{oldB};
    for (int bit = 0; bit < kLed8255Digits; ++bit) {
        if ((deselected >> bit) & 1U) {
            panels_.armBlankTimer(kLed8255Digits - 1 - bit);
        }
    }
}

// The first visible device on port A takes the latch.
void Ppi8255::driveDevice() {
    if (panels_.isVisible(Panel::Stepper)) {
        panels_.setCoils(portA_);
    } else if (panels_.isVisible(Panel::Scope)) {
        panels_.setDacValue(portA_);
    } else if (panels_.isVisible(Panel::Led8255)) {
        for (int digit = 0; digit < kLed8255Digits; ++digit) {
            // Bit 7 selects the leftmost digit; a 0 selects.
            if (((portB_ >> (kLed8255Digits - 1 - digit)) & 1) == 0) {
                panels_.setLed8255Digit(digit, portA_);
            }
        }
    }
}

bool Ppi8255::read(std::uint16_t port, std::uint8_t& value) {
    if (!modeIsValid()) {
        return pane_.reportError(kOnlyMode0, WithLine::Yes);
    }
    if (!isInput(port)) {
        return pane_.reportError(kNotInput, WithLine::Yes);
    }
    if (!anyDeviceVisible()) {
        return pane_.reportError(MessageId::NoPeripheralConnected, WithLine::Yes);
    }
    value = latch(port);
    return true;
}

bool Ppi8255::readOutputLatch(std::uint16_t port, std::uint8_t& value) {
    if (!isOutput(port)) {
        return pane_.reportError(kNotOutput, WithLine::Yes);
    }
    value = latch(port);
    return true;
}

void Ppi8255::reset() {
    control_ = kResetControl;
    portC_ = 0;
    portA_ = 0;
    portB_ = 0xFF;
    panels_.setDacValue(0);
    for (int digit = 0; digit < kLed8255Digits; ++digit) {
        panels_.setLed8255Digit(digit, 0);
    }
}

}  // namespace tarvix
