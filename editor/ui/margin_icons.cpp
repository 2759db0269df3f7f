#include "editor/ui/margin_icons.h"

#include <QColor>
#include <QPolygon>
#include <array>

#include "editor/x86_text_buffer.h"

namespace tarvix {

namespace {

// Flag bits in the order the margin looks for them; the position is the icon number.
constexpr std::array<std::uint32_t, 15> kMarginOrder{
    kExecutionMarker,
    kErrorMarker,
    kBreakpointMarker,
    0x2,
    0x4,
    0x8,
    0x10,
    0x20,
    0x40,
    0x80,
    0x100,
    0x200,
    0x1,
    0x80000,
    0x100000,
};

constexpr int kExecutionIcon = 0;
constexpr int kErrorIcon = 1;
constexpr int kBreakpointIcon = 2;

void drawExecutionArrow(QPainter& painter) {
    const QPolygon arrow({{1, 5}, {8, 5}, {8, 1}, {15, 8}, {8, 15}, {8, 11}, {1, 11}});
    painter.setPen(QPen(QColor(0, 90, 0), 1));
    painter.setBrush(QColor(255, 220, 0));
    painter.drawPolygon(arrow);
}

void drawErrorDot(QPainter& painter) {
    painter.setPen(QPen(QColor(120, 0, 0), 1));
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(QRect(1, 1, 13, 13));
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(5, 5, 10, 10);
    painter.drawLine(10, 5, 5, 10);
}

// A plain red dot, drawn under an execution arrow on the same line.
void drawBreakpointDot(QPainter& painter) {
    painter.setPen(QPen(QColor(120, 0, 0), 1));
    painter.setBrush(QColor(210, 30, 30));
    painter.drawEllipse(QRect(2, 2, 12, 12));
}

// The other marks have no fixed meaning here: a small tag in a colour of its own.
void drawTag(QPainter& painter, int index) {
    const QColor fill = QColor::fromHsv((index * 47) % 360, 160, 230);
    painter.setPen(QPen(fill.darker(170), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRect(2, 3, 11, 10), 2, 2);
}

}  // namespace

int marginIconFor(std::uint32_t flags) {
    for (std::size_t i = 0; i < kMarginOrder.size(); ++i) {
        if ((flags & kMarginOrder[i]) != 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void drawMarginIcon(QPainter& painter, QPoint topLeft, int index) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(topLeft);
    if (index == kExecutionIcon) {
        drawExecutionArrow(painter);
    } else if (index == kErrorIcon) {
        drawErrorDot(painter);
    } else if (index == kBreakpointIcon) {
        drawBreakpointDot(painter);
    } else {
        drawTag(painter, index);
    }
    painter.restore();
}

}  // namespace tarvix
