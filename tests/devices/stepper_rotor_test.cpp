#include "devices/stepper_rotor.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvix {
namespace {

struct Turn {
    const char* name;
    std::vector<std::uint8_t> patterns;
    int tooth;  // the tooth that points at the last pattern's magnet(s)
    int angle;
};

class StepperRotorTurns : public testing::TestWithParam<Turn> {};

TEST_P(StepperRotorTurns, TheNearestToothLinesUpWithTheMagnets) {
    StepperRotor rotor;
    for (const std::uint8_t pattern : GetParam().patterns) {
        rotor.follow(pattern);
    }
    const auto& angles = rotor.toothAngles();
    EXPECT_EQ(angles[static_cast<std::size_t>(GetParam().tooth)], GetParam().angle);
    for (int j = 1; j < StepperRotor::kTeeth; ++j) {
        EXPECT_EQ(angles[static_cast<std::size_t>((GetParam().tooth + j) % 6)],
                  GetParam().angle + 60 * j);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, StepperRotorTurns,
    testing::Values(Turn{"RightMagnetKeepsTheStart", {0x01}, 0, 0},
                    Turn{"FullStepToBottom", {0x01, 0x02}, 2, 90},
                    Turn{"FullStepToLeft", {0x01, 0x02, 0x04}, 4, 180},
                    Turn{"FullStepToTop", {0x01, 0x02, 0x04, 0x08}, 0, 270},
                    Turn{"FullTurnKeepsCounting", {0x01, 0x02, 0x04, 0x08, 0x01}, 2, 0},
                    Turn{"HalfStepUsesTheOddSet", {0x01, 0x03}, 1, 45},
                    Turn{"HalfStepsAlternateSets", {0x01, 0x03, 0x02}, 2, 90},
                    Turn{"HalfStepAcrossZero", {0x01, 0x09}, 5, 315},
                    Turn{"HighBitsIgnored", {0xF1, 0x32}, 2, 90},
                    Turn{"OppositeToothCountsAsNearest", {0x04}, 0, 180}),
    [](const testing::TestParamInfo<Turn>& turn) { return turn.param.name; });

TEST(StepperRotor, PatternsWithoutOnePullLeaveTheRotor) {
    for (const int pattern : {0x00, 0x05, 0x0A, 0x0F, 0x07, 0xF0}) {
        StepperRotor rotor;
        rotor.follow(0x02);
        const auto before = rotor.toothAngles();
        rotor.follow(static_cast<std::uint8_t>(pattern));
        EXPECT_EQ(rotor.toothAngles(), before) << pattern;
    }
}

TEST(StepperRotor, FollowingTheSamePatternAgainDoesNotMove) {
    StepperRotor rotor;
    rotor.follow(0x06);
    const auto once = rotor.toothAngles();
    rotor.follow(0x06);
    EXPECT_EQ(rotor.toothAngles(), once);
}

}  // namespace
}  // namespace tarvix
