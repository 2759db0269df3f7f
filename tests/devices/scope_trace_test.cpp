#include "devices/scope_trace.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvix {
namespace {

// A 140 x 80 client: the band runs from x 10 to 130 and y 0 to 70, 10 pixels a unit.
const ScopeBox kClient{0, 0, 140, 80};
const ScopeBox kPlot = scopePlotBox(kClient);
const ScopeScale kScale;

TEST(ScopeTrace, PlotBandLeavesTenPixelsLeftRightAndBelow) {
    EXPECT_EQ(kPlot.left, 10);
    EXPECT_EQ(kPlot.top, 0);
    EXPECT_EQ(kPlot.right, 130);
    EXPECT_EQ(kPlot.bottom, 70);
}

struct Level {
    std::uint8_t dac;
    int row;  // of a flat trace at that value
};

class ScopeLevels : public testing::TestWithParam<Level> {};

// 0 sits a seventh of the band above the bottom, FFH six sevenths, 80H about 3.51 sevenths.
TEST_P(ScopeLevels, FlatTraceSitsAtTheDacVoltage) {
    const double level = scopeLevel(GetParam().dac);
    const ScopeStroke stroke = scopeStroke(kPlot, kScale, level, level);
    EXPECT_EQ(stroke.yFrom, GetParam().row);
    EXPECT_EQ(stroke.yTo, GetParam().row);
    EXPECT_FALSE(stroke.clearAbove);
    EXPECT_FALSE(stroke.clearBelow);
}

INSTANTIATE_TEST_SUITE_P(Dac, ScopeLevels,
                         testing::Values(Level{0x00, 60}, Level{0xFF, 10}, Level{0x80, 34}));

TEST(ScopeTrace, StepIsDrawnTwiceItsHeight) {
    const ScopeStroke up = scopeStroke(kPlot, kScale, scopeLevel(0), scopeLevel(0xFF));
    EXPECT_EQ(up.yFrom, 60);
    EXPECT_EQ(up.yTo, 2 * 10 - 60);
    EXPECT_TRUE(up.clearAbove);
    EXPECT_FALSE(up.clearBelow);

    const ScopeStroke down = scopeStroke(kPlot, kScale, scopeLevel(0xFF), scopeLevel(0));
    EXPECT_EQ(down.yTo, 2 * 60 - 10);
    EXPECT_TRUE(down.clearBelow);
    EXPECT_FALSE(down.clearAbove);
}

struct Runs {
    const char* name;
    int yFrom;
    int yTo;
    std::vector<ScopeColumnRun> runs;
};

class ScopeStrokeRuns : public testing::TestWithParam<Runs> {};

// The half that stays after the next scroll runs from the old level up to the new one, never
// past it; the other half lies in the column the scroll wipes.
TEST_P(ScopeStrokeRuns, FirstHalfInTheLeftColumnEndPointLeftOut) {
    ScopeStroke stroke;
    stroke.yFrom = GetParam().yFrom;
    stroke.yTo = GetParam().yTo;
    EXPECT_EQ(scopeStrokeRuns(kPlot, stroke), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(Strokes, ScopeStrokeRuns,
                         testing::Values(Runs{"Flat", 60, 60, {{129, 60, 60}}},
                                         Runs{"Rise", 60, -40, {{129, 11, 60}, {130, -39, 10}}},
                                         Runs{"Fall", 10, 110, {{129, 10, 59}, {130, 60, 109}}},
                                         Runs{
                                             "OneRowDown", 30, 32, {{129, 30, 30}, {130, 31, 31}}}),
                         [](const testing::TestParamInfo<Runs>& runs) { return runs.param.name; });

TEST(ScopeTrace, FirstSampleStartsFromTheZeroVoltLevel) {
    const ScopeStroke first = scopeStroke(kPlot, kScale, 1.0, scopeLevel(0));
    EXPECT_EQ(first.yFrom, first.yTo);
}

}  // namespace
}  // namespace tarvix
