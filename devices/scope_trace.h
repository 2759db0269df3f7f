// The oscilloscope's arithmetic, apart from any drawing: the DAC's voltage as the scope
// shows it, and where each new sample's stroke goes at the right edge of the scrolling plot.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvix {

// DAC input to volts (0..5 V over 0..FFH), raised by 1 V so that 0 V stays off the bottom
// edge.
double scopeLevel(std::uint8_t dacValue);

struct ScopeBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// The plot band inside the client area: 10 pixels off the left, right and bottom edges.
ScopeBox scopePlotBox(const ScopeBox& client);

struct ScopeStroke {
    int yFrom = 0;  // of the previous sample, at plot.right - 1
    int yTo = 0;    // at plot.right, itself not drawn
    // The stroke left the band: the columns above or below it are to be wiped again.
    bool clearAbove = false;
    bool clearBelow = false;
};

struct ScopeScale {
    double lowerLimit = 0.0;  // value at the bottom of the band
    double range = 7.0;       // value span of the band's height
};

// A step between two samples is drawn with twice its height, so that the one pixel wide
// stroke shows the whole vertical edge.
ScopeStroke scopeStroke(const ScopeBox& plot, const ScopeScale& scale, double previous,
                        double current);

// A run of pixels in one column, rows `firstRow` to `lastRow` inclusive.
struct ScopeColumnRun {
    int x = 0;
    int firstRow = 0;
    int lastRow = 0;

    bool operator==(const ScopeColumnRun&) const = default;
};

// The pixels of a stroke as a line two columns wide sets them: the first half of its rows in
// the column plot.right - 1, the second half in plot.right, the end point left out. Only the
// first half stays in the picture (the next scroll wipes the other column), which is what
// makes a step a clean vertical edge; a general line drawer may put the whole stroke in one
// column and leave a tail past the new level.
std::vector<ScopeColumnRun> scopeStrokeRuns(const ScopeBox& plot, const ScopeStroke& stroke);

}  // namespace tarvix
