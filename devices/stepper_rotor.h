// The stepper motor's rotor: six teeth in two sets (0, 2, 4 and 1, 3, 5) that follow the
// energised stator magnets, a full step of 30 degrees with one magnet on and a half step of
// 15 degrees with two neighbours on.
#pragma once

#include <array>
#include <cstdint>

namespace tarvix {

class StepperRotor {
public:
    static constexpr int kTeeth = 6;

    // Turns the rotor to the magnets of the low four bits of `coils`. Patterns that pull in no
    // single direction (none, opposite or three magnets) leave it where it is; following the
    // same pattern twice moves it once.
    void follow(std::uint8_t coils);

    // Directions in degrees, clockwise on screen from the positive x axis; not reduced modulo
    // 360, so a motor turning one way keeps counting.
    const std::array<int, kTeeth>& toothAngles() const { return toothAngle_; }

private:
    std::array<int, kTeeth> toothAngle_{0, 60, 120, 180, 240, 300};
};

}  // namespace tarvix
