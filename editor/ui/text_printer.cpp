#include "editor/ui/text_printer.h"

#include <QFontMetrics>
#include <QObject>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <vector>

#include "editor/line_layout.h"
#include "editor/syntax_classifier.h"
#include "editor/ui/line_painter.h"
#include "editor/x86_text_buffer.h"

namespace tarvix {

void printText(QPrinter& printer, const CX86TextBuffer& buffer, const QFont& font) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = std::max(1, metrics.height());
    const QRect area(QPoint(0, 0),
                     printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const int footer = 2 * lineHeight;
    const int perPage = std::max(1, (area.height() - footer) / lineHeight);
    const int lines = buffer.lineCount();
    const int pages = std::max(1, (lines + perPage - 1) / perPage);
    const int firstPage = printer.fromPage() > 0 ? std::min(printer.fromPage(), pages) : 1;
    const int lastPage = printer.toPage() > 0 ? std::min(printer.toPage(), pages) : pages;

    std::uint32_t state = 0;
    for (int line = 0; line < (firstPage - 1) * perPage && line < lines; ++line) {
        state = classifyLine(state, buffer.line(line), nullptr);
    }
    std::vector<ColourBlock> blocks;
    for (int page = firstPage; page <= lastPage; ++page) {
        if (page > firstPage) {
            printer.newPage();
        }
        painter.setClipRect(area);
        const int first = (page - 1) * perPage;
        for (int line = first; line < std::min(lines, first + perPage); ++line) {
            blocks.clear();
            state = classifyLine(state, buffer.line(line), &blocks);
            const LineGeometry geometry{0.0, static_cast<double>((line - first) * lineHeight),
                                        static_cast<double>(metrics.horizontalAdvance(u'X')),
                                        static_cast<double>(lineHeight),
                                        static_cast<double>(metrics.ascent())};
            paintLine(painter, geometry, LineLayout(buffer.line(line)), blocks, {});
        }
        painter.setClipping(false);
        painter.setPen(viewColour(kColourText));
        const QRect foot(0, area.height() - lineHeight, area.width(), lineHeight);
        painter.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter,
                         QObject::tr("Page %1").arg(page));
    }
    painter.end();
}

}  // namespace tarvix
