#include "panels/kit_fonts.h"

#include <QFontDatabase>

namespace tarvix {

QFont kitFixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    // The register lines sit 15 pixels apart and the legend 13 under line4.
    font.setPixelSize(12);
    return font;
}

}  // namespace tarvix
