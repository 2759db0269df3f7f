#include "panels/led_panel.h"

#include "panels/led_digit.h"
#include "tools/segment_codes.h"

namespace tarvix {

LedPanel::LedPanel(QWidget* owner, const PanelFrame& frame, int digitCount)
    : DevicePanelWindow(owner, frame) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);

    // Equal slots across the panel, each digit centred in its own.
    const int slot = width() / digitCount;
    for (int d = 0; d < digitCount; ++d) {
        auto* digit = new LedDigit(this);
        digit->move(d * slot + (slot - digit->width()) / 2, (height() - digit->height()) / 2);
        digits_.push_back(digit);
    }
    describeDigits();
}

void LedPanel::describeDigits() {
    std::vector<std::uint8_t> patterns;
    patterns.reserve(digits_.size());
    for (const LedDigit* digit : digits_) {
        patterns.push_back(digit->segments());
    }
    describePanel(this, QString::fromStdString(displayText(patterns)));
}

void LedPanel::setDigit(int digit, std::uint8_t pattern) {
    if (digit >= 0 && digit < digitCount()) {
        LedDigit* shown = digits_[static_cast<std::size_t>(digit)];
        if (shown->segments() != pattern) {
            shown->setSegments(pattern);
            describeDigits();
        }
    }
}

std::uint8_t LedPanel::segments(int digit) const {
    if (digit < 0 || digit >= digitCount()) {
        return 0;
    }
    return digits_[static_cast<std::size_t>(digit)]->segments();
}

}  // namespace tarvix
