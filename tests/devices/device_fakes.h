// Fakes for the devices' side of the front end: panels that log every call, a terminal that
// collects what is posted, a launcher that counts launches.
#pragma once

#include <cstdint>
#include <string>

#include "common/format.h"
#include "devices/device_panels.h"
#include "devices/terminal_launcher.h"
#include "devices/terminal_link.h"

namespace tarvix {

// Keeps the state as RecordedPanels does, and a log of the calls that drive a device:
// "d7=3F" (8255 digit), "k15=06" (8279 digit), "arm3", "coils=01", "dac=80".
class LoggingPanels : public RecordedPanels {
public:
    using RecordedPanels::RecordedPanels;

    std::string log;

    void setLed8255Digit(int digit, std::uint8_t pattern) override {
        add(formatText("d%d=%02X", digit, pattern));
        RecordedPanels::setLed8255Digit(digit, pattern);
    }
    void armBlankTimer(int digit) override {
        add(formatText("arm%d", digit));
        RecordedPanels::armBlankTimer(digit);
    }
    void setLed8279Digit(int digit, std::uint8_t pattern) override {
        add(formatText("k%d=%02X", digit, pattern));
        RecordedPanels::setLed8279Digit(digit, pattern);
    }
    void setCoils(std::uint8_t coils) override {
        add(formatText("coils=%02X", coils));
        RecordedPanels::setCoils(coils);
    }
    void setDacValue(std::uint8_t value) override {
        add(formatText("dac=%02X", value));
        RecordedPanels::setDacValue(value);
    }

private:
    void add(const std::string& entry) { log += (log.empty() ? "" : " ") + entry; }
};

class FakeTerminal : public TerminalLink {
public:
    bool there = true;
    std::string received;

    bool isThere() override { return there; }
    void post(std::uint8_t character) override { received += static_cast<char>(character); }
};

class CountingLauncher : public TerminalLauncher {
public:
    int launches = 0;
    void launch() override { ++launches; }
};

}  // namespace tarvix
