// The stepper motor on the low four bits of 8255 port A.
#pragma once

#include <cstdint>

#include "panels/device_panel_window.h"

namespace tarvix {

class StepperMotorView;

class StepperPanel : public DevicePanelWindow {
    Q_OBJECT

public:
    explicit StepperPanel(QWidget* owner);

    void setCoils(std::uint8_t coils);
    StepperMotorView* motor() const { return motor_; }

private:
    StepperMotorView* motor_;
};

}  // namespace tarvix
