#include "editor/ui/line_painter.h"

#include <QApplication>
#include <QPalette>
#include <QRectF>
#include <algorithm>

#include "ui/colour_scheme.h"

namespace tarvix {

QColor viewColour(int index) {
    if (highContrast()) {
        const Rgb rgb = highContrastColourOf(index);
        return QColor(rgb.red, rgb.green, rgb.blue);
    }
    const QColor button = QApplication::palette().color(QPalette::Button);
    const Rgb scrollBar{static_cast<std::uint8_t>(button.red()),
                        static_cast<std::uint8_t>(button.green()),
                        static_cast<std::uint8_t>(button.blue())};
    const Rgb rgb = colourOf(index, scrollBar);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void paintLine(QPainter& painter, const LineGeometry& geometry, const LineLayout& layout,
               const std::vector<ColourBlock>& blocks, const LineSelection& selection) {
    const int length = layout.byteOf(layout.characterCount());
    // Cut the line where a colour block starts and where the selection starts or ends.
    std::vector<int> cuts{0, length, selection.from, selection.to};
    for (const ColourBlock& block : blocks) {
        cuts.push_back(block.start);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    const auto xOf = [&](int character) {
        return geometry.left + layout.columnOf(character) * geometry.charWidth;
    };
    auto block = blocks.begin();
    int colour = kColourText;
    for (std::size_t i = 0; i + 1 < cuts.size() && cuts[i] < length; ++i) {
        const int from = cuts[i];
        const int to = std::min(cuts[i + 1], length);
        while (block != blocks.end() && block->start <= from) {
            colour = block->colour;
            ++block;
        }
        const bool selected = from >= selection.from && to <= selection.to;
        const int first = layout.characterAt(from);
        const int end = layout.characterAt(to);
        if (first == end) {
            continue;
        }
        const QRectF area(xOf(first), geometry.top, xOf(end) - xOf(first), geometry.lineHeight);
        if (selected) {
            painter.fillRect(area, viewColour(kColourSelectedBackground));
        }
        painter.setPen(viewColour(selected ? kColourSelectedText : colour));
        // One character at a time on the column grid: a font's fractional advance would
        // otherwise drift away from the caret and the selection.
        for (int character = first; character < end; ++character) {
            const QString shown = QString::fromStdU32String(layout.text(character, character + 1));
            if (!shown.trimmed().isEmpty()) {
                painter.drawText(QPointF(xOf(character), geometry.top + geometry.ascent), shown);
            }
        }
    }
    if (selection.lineEnd) {
        const QRectF lineEnd(xOf(layout.characterCount()), geometry.top, geometry.charWidth,
                             geometry.lineHeight);
        painter.fillRect(lineEnd, viewColour(kColourSelectedBackground));
    }
}

}  // namespace tarvix
