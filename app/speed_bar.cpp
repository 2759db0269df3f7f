#include "app/speed_bar.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/owner_lock.h"

namespace tarvix {

SpeedBar::SpeedBar(QWidget* parent)
    : QToolBar("Speed", parent), speed_(new QComboBox(this)), rate_(new QSpinBox(this)) {
    setObjectName("Speed");
    setProperty(kLiveWhileLocked, true);
    speed_->addItems({"Full speed", "Kit clock", "Animate"});
    speed_->setToolTip("How fast Run goes");
    speed_->setAccessibleName("Speed");
    rate_->setAccessibleName("Rate");
    speed_->setFocusPolicy(Qt::NoFocus);
    rate_->setFocusPolicy(Qt::ClickFocus);
    addWidget(speed_);
    rateAction_ = addWidget(rate_);
    connect(speed_, &QComboBox::currentIndexChanged, this, [this](int index) {
        settings_.speed = static_cast<RunSpeed>(index);
        fitRate();
        emitChange();
    });
    connect(rate_, &QSpinBox::valueChanged, this, [this](int value) {
        (settings_.speed == RunSpeed::Animate ? settings_.linesPerSecond : settings_.megahertz) =
            value;
        emitChange();
    });
    setSettings(settings_);
}

void SpeedBar::setSettings(const SpeedSettings& settings) {
    const QSignalBlocker speedBlock(speed_);
    const QSignalBlocker rateBlock(rate_);
    settings_ = settings;
    speed_->setCurrentIndex(static_cast<int>(settings.speed));
    fitRate();
}

void SpeedBar::setRunning(bool running) {
    running_ = running;
    fitRate();
}

// The one number box serves the clock and the rate; at Full speed it has nothing to say.
void SpeedBar::fitRate() {
    const QSignalBlocker block(rate_);
    const bool animate = settings_.speed == RunSpeed::Animate;
    if (animate) {
        rate_->setRange(kMinLinesPerSecond, kMaxLinesPerSecond);
        rate_->setSuffix(" lines/s");
        rate_->setValue(settings_.linesPerSecond);
        rate_->setToolTip("Lines Animate shows a second");
    } else {
        rate_->setRange(KitClock::kMinMegahertz, KitClock::kMaxMegahertz);
        rate_->setSuffix(" MHz");
        rate_->setValue(settings_.megahertz);
        rate_->setToolTip("The kit's clock");
    }
    rateAction_->setVisible(settings_.speed != RunSpeed::FullSpeed);
    speed_->setEnabled(!running_);
    rate_->setEnabled(!running_ || animate);
}

void SpeedBar::emitChange() {
    emit changed(settings_);
}

}  // namespace tarvix
