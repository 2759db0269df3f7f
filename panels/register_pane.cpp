#include "panels/register_pane.h"

#include <QPainter>
#include <QPixmap>

#include "simulator/register_text.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const QColor kPaneColor(88, 128, 120);

struct TextPlace {
    int x;
    int y;
};

// Top-left corners of line1..line4 and of the legend under line4.
constexpr std::array<TextPlace, 4> kLinePlaces{{{3, 2}, {3, 17}, {3, 32}, {43, 47}}};
constexpr TextPlace kLegendPlace{43, 60};

}  // namespace

RegisterPane::RegisterPane(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(fixedsysFont());
}

void RegisterPane::setLines(const std::array<std::string, 4>& lines) {
    lines_ = lines;
    update();
}

void RegisterPane::paintEvent(QPaintEvent*) {
    QPixmap image(size() * devicePixelRatio());
    image.setDevicePixelRatio(devicePixelRatio());
    image.fill(kPaneColor);
    {
        QPainter painter(&image);
        painter.setFont(font());
        painter.setPen(Qt::white);
        const auto drawAt = [&](TextPlace place, const std::string& text) {
            painter.drawText(QRect(place.x, place.y, width(), height()),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(text));
        };
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            drawAt(kLinePlaces[i], lines_[i]);
        }
        drawAt(kLegendPlace, kFlagsLegend);
    }
    QPainter(this).drawPixmap(0, 0, image);
}

}  // namespace tarvix
