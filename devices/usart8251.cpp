#include "devices/usart8251.h"

namespace tarvix {

namespace {

constexpr std::uint8_t kAsyncMode = 0xCA;       // x16 clock, 7 data bits, even parity, 2 stop bits
constexpr std::uint8_t kTransmitEnable = 0x11;  // with error reset
constexpr std::uint8_t kInternalReset = 0x40;

}  // namespace

bool Usart8251::writeControl(std::uint8_t value) {
    if (expectMode_) {
        // 00H too: the first byte of the customary software reset 00H, 00H, 00H, 40H.
        if (value != kAsyncMode && value != 0) {
            return pane_.reportError("Set mode word to 'CA'", WithLine::Yes);
        }
        modeWord_ = value;
        expectMode_ = false;
        return true;
    }
    if (value != kTransmitEnable && value != kInternalReset && value != 0) {
        return pane_.reportError("Set command word to '11'(Tx Enable) or '40'(Reset) ",
                                 WithLine::Yes);
    }
    commandWord_ = value;
    if (value == kInternalReset) {
        commandWord_ = 0;
        modeWord_ = 0;
        expectMode_ = true;
    }
    return true;
}

std::int64_t Usart8251::now() {
    return clock_.frequency() > 0 ? clock_.counter()
                                  : static_cast<std::int64_t>(clock_.milliseconds());
}

bool Usart8251::lineFree(std::int64_t time) {
    if (!lastTransmit_) {
        return true;
    }
    const std::int64_t frequency = clock_.frequency();
    if (frequency <= 0) {
        return time > *lastTransmit_;  // a millisecond is the finest step there is
    }
    return time > *lastTransmit_ + kCharacterMicroseconds * frequency / 1'000'000;
}

bool Usart8251::writeData(std::uint8_t value) {
    if (modeWord_ == 0 || commandWord_ == 0) {
        return pane_.reportError("Please set mode/command word first", WithLine::Yes);
    }
    if (!terminal_.isThere()) {
        return pane_.reportError("Terminal program not running", WithLine::Yes);
    }
    const std::int64_t time = now();
    if (lineFree(time)) {
        terminal_.post(value);
        lastTransmit_ = time;
    }
    return true;
}

std::uint8_t Usart8251::readStatus() {
    return lineFree(now()) ? kStatusReady : kStatusBusy;
}

void Usart8251::reset() {
    lastTransmit_.reset();
    modeWord_ = 0;
    commandWord_ = 0;
    expectMode_ = true;
}

void Usart8251::launchTerminal() {
    launcher_.launch();
    pane_.clearStatus();
    pane_.showMessage(MessageId::Usart8251Ports);
}

}  // namespace tarvix
