#include "panels/stepper_panel.h"

#include "panels/stepper_motor_view.h"

namespace tarvix {

namespace {

// Digits of 6 pixels, so the binary coil text lines up under "4321".
constexpr int kTextPixels = 10;

}  // namespace

StepperPanel::StepperPanel(QWidget* owner)
    : DevicePanelWindow(owner, {"StepperMotor- 8255", {89, 89}, {290, 75}}),
      motor_(new StepperMotorView(this)) {
    QFont small = font();
    small.setPixelSize(kTextPixels);
    setFont(small);
    motor_->setGeometry(rect());
}

void StepperPanel::setCoils(std::uint8_t coils) {
    motor_->setCoils(coils);
}

}  // namespace tarvix
