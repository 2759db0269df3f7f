// The stepper's rotor: after each pattern the nearest tooth lines up with the pulling magnets.
#include "devices/stepper_rotor.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvix {
namespace {

TEST(StepperRotor, TheNearestToothLinesUpWithTheMagnets) {
    const struct {
        std::vector<std::uint8_t> patterns;
        int tooth;  // the tooth that points at the last pulling pattern's magnet(s)
        int angle;
    } cases[] = {
        {{0x01}, 0, 0},                                 // the right magnet keeps the start
        {{0x01, 0x02}, 2, 90},                          // full steps: bottom, left, top
        {{0x01, 0x02, 0x04}, 4, 180},                   //
        {{0x01, 0x02, 0x04, 0x08}, 0, 270},             //
        {{0x01, 0x02, 0x04, 0x08, 0x01}, 2, 0},         // a full turn keeps counting
        {{0x01, 0x03}, 1, 45},                          // a half step uses the odd set
        {{0x01, 0x03, 0x02}, 2, 90},                    //
        {{0x01, 0x09}, 5, 315},                         // across zero
        {{0xF1, 0x32}, 2, 90},                          // high bits ignored
        {{0x04}, 0, 180},                               // the opposite tooth counts as nearest
        {{0x02, 0x00, 0x05, 0x0A, 0x0F, 0x07}, 2, 90},  // no single pull: the rotor stays
        {{0x06, 0x06}, 3, 135},                         // the same pattern again does not move
    };
    for (const auto& c : cases) {
        StepperRotor rotor;
        for (const std::uint8_t pattern : c.patterns) {
            rotor.follow(pattern);
        }
        const auto& angles = rotor.toothAngles();
        for (int j = 0; j < StepperRotor::kTeeth; ++j) {
            EXPECT_EQ(angles[static_cast<std::size_t>((c.tooth + j) % 6)], c.angle + 60 * j)
                << c.patterns.size() << " patterns, last " << int{c.patterns.back()};
        }
    }
}

}  // namespace
}  // namespace tarvix
