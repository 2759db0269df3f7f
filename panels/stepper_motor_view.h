// The four-phase stepper motor: stator, four magnets (red while energised), the rotor's six
// teeth and hub, and the coil byte in binary under the magnet numbers. The rotor follows the
// magnets when the view paints, so only the pattern present at a repaint moves it.
#pragma once

#include <QWidget>
#include <cstdint>

#include "devices/stepper_rotor.h"

namespace tarvix {

class StepperMotorView : public QWidget {
    Q_OBJECT

public:
    explicit StepperMotorView(QWidget* parent = nullptr);

    void setCoils(std::uint8_t coils);
    std::uint8_t coils() const { return coils_; }
    const StepperRotor& rotor() const { return rotor_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawMotor(QPainter& painter) const;

    std::uint8_t coils_ = 0;
    StepperRotor rotor_;
};

}  // namespace tarvix
