// The kit lays its panels out in dialog units of its 8-point dialog font; these turn them
// into pixels (a dialog unit is a quarter of the font's average width, 6 pixels, and an
// eighth of its height, 13 pixels).
#pragma once

#include <QPoint>
#include <QSize>

namespace tarvix {

constexpr int dialogUnitsToPixelsX(int units) {
    return units * 6 / 4;
}

constexpr int dialogUnitsToPixelsY(int units) {
    return units * 13 / 8;
}

inline QSize dialogUnitsToPixels(QSize units) {
    return {dialogUnitsToPixelsX(units.width()), dialogUnitsToPixelsY(units.height())};
}

inline QPoint dialogUnitsToPixels(QPoint units) {
    return {dialogUnitsToPixelsX(units.x()), dialogUnitsToPixelsY(units.y())};
}

}  // namespace tarvix
