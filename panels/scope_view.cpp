#include "panels/scope_view.h"

#include <QPainter>
#include <QResizeEvent>

namespace tarvix {

ScopeView::ScopeView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScopeView::resizeEvent(QResizeEvent* event) {
    client_ = {0, 0, event->size().width(), event->size().height()};
    plotBox_ = scopePlotBox(client_);
    if (plot_.isNull() && !event->size().isEmpty()) {
        plot_ = QPixmap(event->size());
        plot_.fill(bgColor_);
    }
    update();
}

void ScopeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (plot_.isNull()) {
        painter.fillRect(rect(), bgColor_);
        return;
    }
    painter.drawPixmap(0, 0, plot_);
}

void ScopeView::appendPoint(double value) {
    current_ = value;
    if (!plot_.isNull()) {
        drawNewPoint();
    }
    previous_ = current_;
    update();
}

// Rectangles here are the kit's: right and bottom edges excluded.
void ScopeView::fill(int left, int top, int right, int bottom) {
    QPainter(&plot_).fillRect(QRect(left, top, right - left, bottom - top), bgColor_);
}

void ScopeView::drawNewPoint() {
    plot_.scroll(
        -shift_, 0,
        QRect(plotBox_.left + shift_, plotBox_.top + 1, plotBox_.width() + 1, plotBox_.height()));
    fill(plotBox_.right - shift_, plotBox_.top, plotBox_.right, plotBox_.bottom);

    const ScopeStroke stroke = scopeStroke(plotBox_, scale_, previous_, current_);
    {
        // Set pixel by pixel: Qt's own line drawer would put the whole stroke in one column.
        QPainter painter(&plot_);
        for (const ScopeColumnRun& run : scopeStrokeRuns(plotBox_, stroke)) {
            painter.fillRect(QRect(run.x, run.firstRow, 1, run.lastRow - run.firstRow + 1),
                             traceColor_);
        }
    }
    // Wipe what the doubled stroke drew outside the band.
    if (stroke.clearAbove) {
        fill(plotBox_.right - 1, client_.top, plotBox_.right + 1, plotBox_.top + 1);
    }
    if (stroke.clearBelow) {
        fill(plotBox_.right - 1, plotBox_.bottom, plotBox_.right + 1, client_.bottom + 1);
    }
}

}  // namespace tarvix
