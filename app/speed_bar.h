// The toolbar of the run's speed: Full speed, Kit clock or Animate, and the kit's clock in MHz
// or Animate's lines a second. It stays usable during a run, where only Animate's rate may
// change: the lock of the running window leaves it alone.
#pragma once

#include <QToolBar>

#include "app/speed_settings.h"

class QComboBox;
class QSpinBox;

namespace tarvix {

class SpeedBar : public QToolBar {
    Q_OBJECT

public:
    explicit SpeedBar(QWidget* parent);

    // Shows the settings without signalling a change.
    void setSettings(const SpeedSettings& settings);
    void setRunning(bool running);

    QComboBox* speedBox() const { return speed_; }
    QSpinBox* rateBox() const { return rate_; }

signals:
    void changed(const SpeedSettings& settings);

private:
    void fitRate();
    void emitChange();

    QComboBox* speed_;
    QSpinBox* rate_;
    QAction* rateAction_ = nullptr;
    SpeedSettings settings_;
    bool running_ = false;
};

}  // namespace tarvix
