#include "panels/stepper_motor_view.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>

#include "panels/device_panel_window.h"

namespace tarvix {

namespace {

constexpr double kPi = 3.1415926535;
constexpr QPoint kCentre{66, 66};
constexpr int kStatorRadius = 60;
constexpr int kMagnetRadius = 45;  // inner end of each magnet
constexpr int kMagnetLength = 10;
constexpr int kToothLength = kMagnetRadius - 10;
constexpr int kHubRadius = 10;
constexpr int kStrokeWidth = 4;

const QColor kFill(0, 120, 0);
const QColor kMagnetOn(255, 0, 0);
const QColor kEvenTooth(0, 180, 0);
const QColor kOddTooth(0, 0, 210);
const QColor kHub(255, 128, 64);

// The point `distance` pixels from the centre towards `degrees` (clockwise on screen), each
// coordinate cut toward zero.
QPoint pointAt(double degrees, int distance) {
    const double radians = degrees * kPi / 180.0;
    return {kCentre.x() + static_cast<int>(distance * std::cos(radians)),
            kCentre.y() + static_cast<int>(distance * std::sin(radians))};
}

}  // namespace

StepperMotorView::StepperMotorView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StepperMotorView::setCoils(std::uint8_t coils) {
    coils_ = coils;
    update();
}

void StepperMotorView::paintEvent(QPaintEvent*) {
    rotor_.follow(coils_);
    constexpr int kTurn = 360;
    const int angle = ((rotor_.toothAngles()[0] % kTurn) + kTurn) % kTurn;
    describePanel(this, QStringLiteral("Rotor at %1 degrees, coils %2")
                            .arg(angle)
                            .arg(coils_ & 0x0F, 4, 2, QLatin1Char('0')));
    QPixmap image(size());
    image.fill(kFill);
    {
        QPainter painter(&image);
        painter.setFont(font());
        drawMotor(painter);
    }
    QPainter(this).drawPixmap(0, 0, image);
}

void StepperMotorView::drawMotor(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, kStrokeWidth));
    painter.setBrush(Qt::black);
    painter.drawEllipse(kCentre, kStatorRadius, kStatorRadius);

    for (int k = 0; k < 4; ++k) {
        const bool on = ((coils_ >> k) & 1) != 0;
        painter.setPen(QPen(on ? kMagnetOn : Qt::white, kStrokeWidth));
        painter.drawLine(pointAt(90.0 * k, kMagnetRadius),
                         pointAt(90.0 * k, kMagnetRadius + kMagnetLength));
    }

    const auto& angles = rotor_.toothAngles();
    for (int t = 0; t < StepperRotor::kTeeth; ++t) {
        painter.setPen(QPen(t % 2 == 0 ? kEvenTooth : kOddTooth, kStrokeWidth));
        painter.drawLine(kCentre, pointAt(angles[static_cast<std::size_t>(t)], kToothLength));
    }

    painter.setPen(QPen(kHub, kStrokeWidth));
    painter.setBrush(kHub);
    painter.drawEllipse(kCentre, kHubRadius, kHubRadius);

    // Top-left corners, so the last four binary digits stand under the magnet numbers.
    painter.setPen(Qt::black);
    const auto textAt = [&](QPoint place, const QString& text) {
        painter.drawText(QRect(place, QSize(width(), height())), Qt::AlignLeft | Qt::AlignTop,
                         text);
    };
    textAt({105, 115}, "4321");
    textAt({80, 127}, QString("%1").arg(coils_, 8, 2, QChar('0')));
}

}  // namespace tarvix
