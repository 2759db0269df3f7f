#include "panels/led_digit.h"

#include <QPainter>
#include <QPixmap>
#include <array>

#include "ui/dialog_units.h"

namespace tarvix {

namespace {

struct Stroke {
    QPoint from;
    QPoint to;  // the same point for the decimal point's dot
};

// Segments a to g, then the point, in bit order.
constexpr std::array<Stroke, 8> kStrokes{{
    {{5, 2}, {15, 2}},
    {{17, 5}, {17, 13}},
    {{17, 20}, {17, 28}},
    {{5, 31}, {15, 31}},
    {{2, 20}, {2, 28}},
    {{2, 5}, {2, 13}},
    {{5, 17}, {15, 17}},
    {{21, 30}, {21, 30}},
}};

constexpr int kPenWidth = 3;

}  // namespace

LedDigit::LedDigit(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(dialogUnitsToPixels(kSizeInDialogUnits));
}

void LedDigit::setSegments(std::uint8_t pattern) {
    segments_ = pattern;
    update();
}

void LedDigit::paintEvent(QPaintEvent*) {
    QPixmap image(size());
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setPen(QPen(color_, kPenWidth, Qt::SolidLine, Qt::RoundCap));
        for (std::size_t bit = 0; bit < kStrokes.size(); ++bit) {
            if (((segments_ >> bit) & 1) == 0) {
                continue;
            }
            const Stroke& stroke = kStrokes[bit];
            if (stroke.from == stroke.to) {
                // A dot of the pen's width centred on the point (three pixels round is a full
                // square); Qt would draw a wide pen's point smaller and off centre.
                const QPoint corner = stroke.from - QPoint(kPenWidth / 2, kPenWidth / 2);
                painter.fillRect(QRect(corner, QSize(kPenWidth, kPenWidth)), color_);
            } else {
                painter.drawLine(stroke.from, stroke.to);
            }
        }
    }
    QPainter(this).drawPixmap(0, 0, image);
}

}  // namespace tarvix
