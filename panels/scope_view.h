// The oscilloscope's strip chart: each new sample scrolls the plot one pixel to the left and
// draws the step from the previous sample at the right edge. The picture lives in an
// off-screen pixmap that painting copies in one piece.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "devices/scope_trace.h"

namespace tarvix {

class ScopeView : public QWidget {
    Q_OBJECT

public:
    explicit ScopeView(QWidget* parent = nullptr);

    void appendPoint(double value);
    double current() const { return current_; }
    double previous() const { return previous_; }
    const QPixmap& plot() const { return plot_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void drawNewPoint();
    void fill(int left, int top, int right, int bottom);

    QColor bgColor_{0, 0, 64};
    QColor traceColor_{0, 255, 0};
    int shift_ = 1;
    ScopeScale scale_;
    double current_ = 0.0;
    double previous_ = 1.0;
    ScopeBox client_;
    ScopeBox plotBox_;
    QPixmap plot_;
};

}  // namespace tarvix
