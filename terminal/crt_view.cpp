#include "terminal/crt_view.h"

#include <QFontDatabase>
#include <QPainter>

namespace tarvix {

namespace {

constexpr int kMargin = 8;
constexpr int kCursorBlinkMs = 530;
constexpr int kFlashMs = 120;
const QColor kPhosphor(0x33, 0xFF, 0x33);
const QColor kBackground(Qt::black);

}  // namespace

CrtView::CrtView(const TerminalScreen& screen, QWidget* parent) : QWidget(parent), screen_(screen) {
    setAccessibleName(QStringLiteral("Terminal screen"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(12);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(sizeHint());

    connect(&cursorBlink_, &QTimer::timeout, this, [this] {
        cursorOn_ = !cursorOn_;
        update();
    });
    cursorBlink_.start(kCursorBlinkMs);
    flashEnd_.setSingleShot(true);
    flashEnd_.setInterval(kFlashMs);
    connect(&flashEnd_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

QSize CrtView::cellSize() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QLatin1Char('M')), metrics.height()};
}

QSize CrtView::sizeHint() const {
    const QSize cell = cellSize();
    return {cell.width() * TerminalScreen::kColumns + 2 * kMargin,
            cell.height() * TerminalScreen::kRows + 2 * kMargin};
}

void CrtView::screenChanged(int bellsBefore) {
    if (screen_.bells() != bellsBefore) {
        flashEnd_.start();
    }
    // A cursor that just moved is shown at once.
    cursorOn_ = true;
    cursorBlink_.start();
    update();
    const QString text = QString::fromLatin1(screen_.text());
    if (accessibleDescription() != text) {
        setAccessibleDescription(text);  // what a screen reader reads of the screen
    }
}

void CrtView::paintEvent(QPaintEvent*) {
    const bool flashing = flashEnd_.isActive();
    const QColor ink = flashing ? kBackground : kPhosphor;
    QPainter painter(this);
    painter.fillRect(rect(), flashing ? kPhosphor : kBackground);
    painter.setPen(ink);
    const QSize cell = cellSize();
    const int ascent = QFontMetrics(font()).ascent();
    for (int row = 0; row < TerminalScreen::kRows; ++row) {
        QString line(TerminalScreen::kColumns, QLatin1Char(' '));
        for (int column = 0; column < TerminalScreen::kColumns; ++column) {
            line[column] = QLatin1Char(static_cast<char>(screen_.at(row, column)));
        }
        painter.drawText(kMargin, kMargin + row * cell.height() + ascent, line);
    }
    if (cursorOn_) {
        const int column = std::min(screen_.cursorColumn(), TerminalScreen::kColumns - 1);
        const QRect block(kMargin + column * cell.width(),
                          kMargin + screen_.cursorRow() * cell.height(), cell.width(),
                          cell.height());
        painter.fillRect(block, ink);
        painter.setPen(flashing ? kPhosphor : kBackground);
        painter.drawText(
            block.x(), block.y() + ascent,
            QString(QLatin1Char(static_cast<char>(screen_.at(screen_.cursorRow(), column)))));
    }
}

}  // namespace tarvix
