#include "panels/speaker_schematic.h"

#include <QPainter>
#include <QPainterPath>

namespace tarvix {

namespace {

constexpr int kTextPixels = 9;

void drawTimer(QPainter& p) {
    p.drawRect(28, 24, 40, 42);
    p.drawText(QRect(28, 25, 40, 12), Qt::AlignCenter, "Timer 2");
    p.drawText(QRect(30, 35, 30, 10), Qt::AlignLeft | Qt::AlignVCenter, "CLK");
    p.drawText(QRect(30, 51, 30, 10), Qt::AlignLeft | Qt::AlignVCenter, "GATE");
    p.drawText(QRect(36, 43, 30, 10), Qt::AlignRight | Qt::AlignVCenter, "OUT");
    // Clock and gate come in from the left, the output leaves to the right.
    p.drawLine(6, 40, 28, 40);
    p.drawText(QRect(0, 27, 40, 11), Qt::AlignLeft | Qt::AlignVCenter, "1.2 MHz");
    p.drawLine(6, 56, 28, 56);
    p.drawText(QRect(0, 58, 30, 11), Qt::AlignLeft | Qt::AlignVCenter, "+5 V");
    p.drawLine(68, 48, 88, 48);
}

// A PNP transistor with its base at (88, 48): emitter up to the supply, collector down to
// the speaker.
void drawTransistor(QPainter& p) {
    p.drawEllipse(QPoint(95, 48), 10, 10);
    p.drawLine(90, 41, 90, 55);
    p.drawLine(90, 44, 100, 37);
    p.drawLine(100, 37, 100, 10);
    p.drawLine(90, 52, 100, 59);
    p.drawLine(100, 59, 100, 66);
    // The emitter's arrow points in, towards the base.
    QPainterPath arrow;
    arrow.moveTo(92, 43);
    arrow.lineTo(97, 37);
    arrow.lineTo(98, 42);
    arrow.closeSubpath();
    p.fillPath(arrow, p.pen().color());
    p.drawText(QRect(106, 43, 34, 11), Qt::AlignLeft | Qt::AlignVCenter, "2N2907");
    // The supply rail.
    p.drawLine(80, 10, 120, 10);
    p.drawText(QRect(106, 0, 34, 10), Qt::AlignLeft | Qt::AlignVCenter, "+5 V");
}

// The loudspeaker between the collector and ground.
void drawSpeaker(QPainter& p) {
    p.drawRect(96, 66, 8, 10);
    const QPolygon cone{{104, 66}, {112, 60}, {112, 82}, {104, 76}};
    p.drawPolygon(cone);
    p.drawLine(100, 76, 100, 84);
    p.drawLine(94, 84, 106, 84);
    p.drawLine(96, 86, 104, 86);
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
