// The oscilloscope's pixel arithmetic on a 140 x 80 client: the band runs from x 10 to 130 and
// y 0 to 70, 10 pixels a unit.
#include "devices/scope_trace.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvix {
namespace {

const ScopeBox kPlot = scopePlotBox({0, 0, 140, 80});
const ScopeScale kScale;

// 0 sits a seventh of the band above the bottom, FFH six sevenths, 80H about 3.51 sevenths; a
// step is drawn twice its height and clears the side it leaves; the first sample starts from
// the zero-volt level.
TEST(ScopeTrace, Strokes) {
    const struct {
        double from;
        double to;
        int yFrom;
        int yTo;
        bool clearAbove;
        bool clearBelow;
    } cases[] = {
        {scopeLevel(0x00), scopeLevel(0x00), 60, 60, false, false},
        {scopeLevel(0xFF), scopeLevel(0xFF), 10, 10, false, false},
        {scopeLevel(0x80), scopeLevel(0x80), 34, 34, false, false},
        {scopeLevel(0x00), scopeLevel(0xFF), 60, 2 * 10 - 60, true, false},
        {scopeLevel(0xFF), scopeLevel(0x00), 10, 2 * 60 - 10, false, true},
        {1.0, scopeLevel(0x00), 60, 60, false, false},
    };
    EXPECT_EQ((std::vector{kPlot.left, kPlot.top, kPlot.right, kPlot.bottom}),
              (std::vector{10, 0, 130, 70}));
    for (const auto& c : cases) {
        const ScopeStroke stroke = scopeStroke(kPlot, kScale, c.from, c.to);
        EXPECT_EQ(stroke.yFrom, c.yFrom) << c.from << " " << c.to;
        EXPECT_EQ(stroke.yTo, c.yTo) << c.from << " " << c.to;
        EXPECT_EQ(stroke.clearAbove, c.clearAbove) << c.from << " " << c.to;
        EXPECT_EQ(stroke.clearBelow, c.clearBelow) << c.from << " " << c.to;
    }
}

// The half that stays after the next scroll runs from the old level up to the new one, never
// past it; the other half lies in the column the scroll wipes.
TEST(ScopeTrace, StrokeRunsFirstHalfInTheLeftColumnEndPointLeftOut) {
    const struct {
        int yFrom;
        int yTo;
        std::vector<ScopeColumnRun> runs;
    } cases[] = {
        {60, 60, {{129, 60, 60}}},
        {60, -40, {{129, 11, 60}, {130, -39, 10}}},
        {10, 110, {{129, 10, 59}, {130, 60, 109}}},
        {30, 32, {{129, 30, 30}, {130, 31, 31}}},
    };
    for (const auto& c : cases) {
        ScopeStroke stroke;
        stroke.yFrom = c.yFrom;
        stroke.yTo = c.yTo;
        EXPECT_EQ(scopeStrokeRuns(kPlot, stroke), c.runs) << c.yFrom << " to " << c.yTo;
    }
}

}  // namespace
}  // namespace tarvix
