#include "ui/kit_fonts.h"

#include <QFontDatabase>

namespace tarvix {

QFont monospacedFont(const char* face) {
    QFont font(face);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QFont fixedsysFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    return font;
}

}  // namespace tarvix
