// The eight-digit display on the 8255: port B selects digits (active low, bit 7 the
// leftmost), port A gives the pattern. A deselected digit keeps glowing for 150 ms, as a
// multiplexed display seems to, and then goes dark unless it was selected again meanwhile.
#pragma once

#include <array>

#include "devices/device_panels.h"
#include "panels/led_panel.h"

class QTimer;

namespace tarvix {

class Ppi8255;

class Led8255Panel : public LedPanel {
    Q_OBJECT

public:
    static constexpr int kBlankMilliseconds = 150;

    explicit Led8255Panel(QWidget* owner);

    // The blanking timers read port B's latch here; without it they never blank.
    void attachPpi(Ppi8255* ppi) { ppi_ = ppi; }
    // Starts, or restarts, the digit's blanking timer.
    void armBlankTimer(int digit);
    bool blankTimerArmed(int digit) const;

private:
    void blankIfDeselected(int digit);

    Ppi8255* ppi_ = nullptr;
    std::array<QTimer*, kLed8255Digits> blankTimers_{};
};

}  // namespace tarvix
