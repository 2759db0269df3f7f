#include "devices/stepper_rotor.h"

#include <cstdlib>
#include <optional>

namespace tarvix {

namespace {

struct Pull {
    std::uint8_t magnets;
    int target;      // degrees
    int firstTooth;  // of the set that lines up: 0 for 0, 2, 4; 1 for 1, 3, 5
};

// One magnet pulls a tooth of the even set straight at it; two neighbours pull a tooth of
// the odd set half way between them.
constexpr std::array<Pull, 8> kPulls{{
    {0b0001, 0, 0},
    {0b0010, 90, 0},
    {0b0100, 180, 0},
    {0b1000, 270, 0},
    {0b0011, 45, 1},
    {0b0110, 135, 1},
    {0b1100, 225, 1},
    {0b1001, 315, 1},
}};

std::optional<Pull> pullOf(std::uint8_t coils) {
    for (const Pull& pull : kPulls) {
        if (pull.magnets == (coils & 0x0F)) {
            return pull;
        }
    }
    return std::nullopt;
}

}  // namespace

void StepperRotor::follow(std::uint8_t coils) {
    const std::optional<Pull> pull = pullOf(coils);
    if (!pull) {
        return;
    }
    // The tooth of the set nearest the target, either way round; the first of equals wins.
    int nearest = pull->firstTooth;
    int best = 360;
    for (int tooth = pull->firstTooth; tooth < kTeeth; tooth += 2) {
        const int distance =
            std::abs(toothAngle_[static_cast<std::size_t>(tooth)] - pull->target) % 180;
        if (distance < best) {
            best = distance;
            nearest = tooth;
        }
    }
    for (int j = 0; j < kTeeth; ++j) {
        toothAngle_[static_cast<std::size_t>((nearest + j) % kTeeth)] = pull->target + 60 * j;
    }
}

}  // namespace tarvix
