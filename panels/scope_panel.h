// The DAC on 8255 port A and a free-running oscilloscope that samples it about every 10 ms
// of wall-clock time while the panel is shown, whether or not a program runs.
#pragma once

#include <QTimer>
#include <cstdint>

#include "panels/device_panel_window.h"

namespace tarvix {

class ScopeView;

class ScopePanel : public DevicePanelWindow {
    Q_OBJECT

public:
    static constexpr int kSampleMilliseconds = 10;

    explicit ScopePanel(QWidget* owner);

    // Nothing is drawn now; the next sample picks it up.
    void setDacValue(std::uint8_t value) { dacValue_ = value; }
    std::uint8_t dacValue() const { return dacValue_; }
    ScopeView* view() const { return view_; }
    // One tick of the sampling timer.
    void sample();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::uint8_t dacValue_ = 0;
    ScopeView* view_;
    QTimer sampler_;
};

}  // namespace tarvix
