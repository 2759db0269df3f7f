// The display half of the kit's 8279 at ports 30H (data) and 31H (command), driving the
// 16-digit LED display with raw segment bytes. Left entry fills the digits from the left;
// right entry scrolls the display one place left per byte, as a calculator does.
#pragma once

#include <array>
#include <cstdint>

#include "common/output_pane.h"
#include "devices/device_panels.h"

namespace tarvix {

class Kbd8279 {
public:
    Kbd8279(OutputPane& pane, DevicePanels& panels) : pane_(pane), panels_(panels) {}

    bool writeCommand(std::uint8_t value);
    bool writeData(std::uint8_t value);

    bool leftEntry() const { return leftEntry_; }
    int address() const { return address_; }
    std::uint8_t displayRam(int entry) const { return ram_[static_cast<std::size_t>(entry)]; }

private:
    void setIdentityMap();
    void showDigits();

    OutputPane& pane_;
    DevicePanels& panels_;
    // The RAM entry each digit shows. All 0 until the first accepted command, as on the kit.
    std::array<int, kLed8279Digits> digitMap_{};
    bool leftEntry_ = false;
    bool autoIncrement_ = true;
    int address_ = 0;
    std::array<std::uint8_t, kLed8279Digits> ram_{};
};

}  // namespace tarvix
