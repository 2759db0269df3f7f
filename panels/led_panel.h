// A row of LedDigit controls on black, digit 0 leftmost: the common part of the two LED
// display panels.
#pragma once

#include <cstdint>
#include <vector>

#include "panels/device_panel_window.h"

namespace tarvix {

class LedDigit;

class LedPanel : public DevicePanelWindow {
    Q_OBJECT

public:
    LedPanel(QWidget* owner, const PanelFrame& frame, int digitCount);

    int digitCount() const { return static_cast<int>(digits_.size()); }
    // Out-of-range digits are ignored.
    void setDigit(int digit, std::uint8_t pattern);
    std::uint8_t segments(int digit) const;

private:
    void describeDigits();

    std::vector<LedDigit*> digits_;
};

}  // namespace tarvix
