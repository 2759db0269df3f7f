#include "panels/speaker_schematic.h"

#include <QPainter>
#include <QPainterPath>

namespace tarvix {

namespace {

constexpr int kTextPixels = 8;

void drawTimer(QPainter& p) {
    p.drawRect(36, 28, 40, 44);
    p.drawText(QRect(36, 29, 40, 11), Qt::AlignCenter, "Timer 2");
    p.drawText(QRect(38, 42, 36, 10), Qt::AlignLeft | Qt::AlignVCenter, "CLK");
    p.drawText(QRect(38, 58, 36, 10), Qt::AlignLeft | Qt::AlignVCenter, "GATE");
    p.drawText(QRect(38, 48, 36, 10), Qt::AlignRight | Qt::AlignVCenter, "OUT");
    // Clock and gate come in from the left, the output leaves to the right.
    p.drawLine(2, 47, 36, 47);
    p.drawText(QRect(0, 36, 36, 10), Qt::AlignLeft | Qt::AlignVCenter, "1.2 MHz");
    p.drawLine(2, 63, 36, 63);
    p.drawText(QRect(0, 65, 36, 10), Qt::AlignLeft | Qt::AlignVCenter, "+5 V");
    p.drawLine(76, 53, 90, 53);
}

// A PNP transistor with its base at (90, 53): emitter up to the supply rail, collector down
// to the speaker.
void drawTransistor(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(96, 53), 9, 9);
    p.drawLine(90, 46, 90, 60);
    p.drawLine(90, 49, 100, 43);
    p.drawLine(100, 43, 100, 12);
    p.drawLine(90, 57, 100, 63);
    p.drawLine(100, 63, 100, 70);
    // The emitter's arrow points in, towards the base.
    QPainterPath arrow;
    arrow.moveTo(92, 48);
    arrow.lineTo(98, 42);
    arrow.lineTo(99, 47);
    arrow.closeSubpath();
    p.fillPath(arrow, p.pen().color());
    p.drawText(QRect(107, 56, 33, 10), Qt::AlignLeft | Qt::AlignVCenter, "2N2907");
    p.drawLine(86, 12, 116, 12);
    p.drawText(QRect(118, 6, 22, 12), Qt::AlignLeft | Qt::AlignVCenter, "+5 V");
}

// The loudspeaker between the collector and ground.
void drawSpeaker(QPainter& p) {
    p.drawRect(96, 70, 8, 8);
    const QPolygon cone{{104, 70}, {111, 65}, {111, 83}, {104, 78}};
    p.drawPolygon(cone);
    p.drawLine(100, 78, 100, 82);
    p.drawLine(94, 82, 106, 82);
    p.drawLine(96, 85, 104, 85);
    p.drawLine(98, 88, 102, 88);
}

}  // namespace

SpeakerSchematic::SpeakerSchematic(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kSize);
}

void SpeakerSchematic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPixelSize(kTextPixels);
    p.setFont(small);
    p.setPen(QPen(Qt::black, 1));
    drawTimer(p);
    drawTransistor(p);
    drawSpeaker(p);
}

}  // namespace tarvix
