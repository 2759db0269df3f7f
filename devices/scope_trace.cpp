#include "devices/scope_trace.h"

#include <algorithm>

namespace tarvix {

namespace {

constexpr double kVoltsPerStep = 5.0 * 0.00392156862745098;  // 5 V / 255
constexpr double kLift = 1.0;
constexpr int kMargin = 10;

int rowOf(const ScopeBox& plot, const ScopeScale& scale, double value) {
    const double pixelsPerUnit = plot.height() / scale.range;
    return static_cast<int>(plot.bottom - (value - scale.lowerLimit) * pixelsPerUnit);
}

}  // namespace

double scopeLevel(std::uint8_t dacValue) {
    return dacValue * kVoltsPerStep + kLift;
}

ScopeBox scopePlotBox(const ScopeBox& client) {
    return {client.left + kMargin, client.top, client.right - kMargin, client.bottom - kMargin};
}

ScopeStroke scopeStroke(const ScopeBox& plot, const ScopeScale& scale, double previous,
                        double current) {
    ScopeStroke stroke;
    stroke.yFrom = rowOf(plot, scale, previous);
    const int yNew = rowOf(plot, scale, current);
    stroke.yTo = yNew == stroke.yFrom ? yNew : 2 * yNew - stroke.yFrom;
    stroke.clearAbove = stroke.yFrom <= plot.top || stroke.yTo <= plot.top;
    stroke.clearBelow = stroke.yFrom >= plot.bottom || stroke.yTo >= plot.bottom;
    return stroke;
}

std::vector<ScopeColumnRun> scopeStrokeRuns(const ScopeBox& plot, const ScopeStroke& stroke) {
    const int left = plot.right - 1;
    if (stroke.yTo == stroke.yFrom) {
        return {{left, stroke.yFrom, stroke.yFrom}};
    }
    // yTo is yNew doubled away from yFrom, so the middle row is the new sample's.
    const int yNew = (stroke.yFrom + stroke.yTo) / 2;
    const int step = stroke.yTo > stroke.yFrom ? 1 : -1;
    const auto run = [](int x, int from, int to) {
        return ScopeColumnRun{x, std::min(from, to), std::max(from, to)};
    };
    return {run(left, stroke.yFrom, yNew - step), run(plot.right, yNew, stroke.yTo - step)};
}

}  // namespace tarvix
