// Paints one source line in its syntax colours, with the selected part in the selection
// colours. Shared by the screen and the printer so that both show the same thing.
#pragma once

#include <QColor>
#include <QPainter>
#include <vector>

#include "editor/line_layout.h"
#include "editor/syntax_classifier.h"

namespace tarvix {

// The colour of an index, with the margin in the style's button colour.
QColor viewColour(int index);

struct LineGeometry {
    double left = 0;  // x of column 0 (left of the visible area when scrolled)
    double top = 0;
    double charWidth = 0;
    double lineHeight = 0;
    double ascent = 0;
};

// Selected bytes of a line: [from, to), and whether its line end is selected too.
struct LineSelection {
    int from = 0;
    int to = 0;
    bool lineEnd = false;
};

void paintLine(QPainter& painter, const LineGeometry& geometry, const LineLayout& layout,
               const std::vector<ColourBlock>& blocks, const LineSelection& selection);

}  // namespace tarvix
