// The marks of the left margin: which flag of a line shows, and its 16 x 16 icon drawn with
// QPainter so that no bitmap file is needed.
#pragma once

#include <QPainter>
#include <QPoint>
#include <cstdint>

namespace tarvix {

inline constexpr int kMarginIconSize = 16;

// The icon of the first set flag in margin order (execution marker, error marker, then the
// others), or -1 when the line carries no mark.
int marginIconFor(std::uint32_t flags);

// Draws icon `index` with its top-left corner at `topLeft`.
void drawMarginIcon(QPainter& painter, QPoint topLeft, int index);

}  // namespace tarvix
