// One seven-segment digit with its decimal point, drawing a raw segment byte: bit 0 is
// segment a (top) through bit 6 g (middle) and bit 7 the point. No character decoding.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace tarvix {

class LedDigit : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSizeInDialogUnits{18, 20};

    explicit LedDigit(QWidget* parent = nullptr);

    void setSegments(std::uint8_t pattern);
    std::uint8_t segments() const { return segments_; }
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_{230, 0, 0};
    std::uint8_t segments_ = 0;
};

}  // namespace tarvix
