#include "tools/ui/tool_dialog_style.h"

namespace tarvix {

QFont toolDialogFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

}  // namespace tarvix
