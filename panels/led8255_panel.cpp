#include "panels/led8255_panel.h"

#include <QTimer>

#include "devices/ppi8255.h"

namespace tarvix {

Led8255Panel::Led8255Panel(QWidget* owner)
    : LedPanel(owner, {"Display1 - 8255", {151, 22}, {280, 100}}, kLed8255Digits) {
    for (int d = 0; d < kLed8255Digits; ++d) {
        auto* timer = new QTimer(this);
        timer->setInterval(kBlankMilliseconds);
        connect(timer, &QTimer::timeout, this, [this, d] { blankIfDeselected(d); });
        blankTimers_[static_cast<std::size_t>(d)] = timer;
    }
}

void Led8255Panel::armBlankTimer(int digit) {
    if (digit >= 0 && digit < kLed8255Digits) {
        blankTimers_[static_cast<std::size_t>(digit)]->start();
    }
}

bool Led8255Panel::blankTimerArmed(int digit) const {
    return digit >= 0 && digit < kLed8255Digits &&
           blankTimers_[static_cast<std::size_t>(digit)]->isActive();
}

// The timer keeps running while the panel is hidden, so the digit is looked at again once
// the panel is back; otherwise it fires once.
void Led8255Panel::blankIfDeselected(int digit) {
    if (isHidden()) {
        return;
    }
    blankTimers_[static_cast<std::size_t>(digit)]->stop();
    std::uint8_t portB = 0;
    if (ppi_ != nullptr && ppi_->readOutputLatch(Ppi8255::kPortB, portB) &&
        ((portB >> (kLed8255Digits - 1 - digit)) & 1) != 0) {
        setDigit(digit, 0);
    }
}

}  // namespace tarvix
