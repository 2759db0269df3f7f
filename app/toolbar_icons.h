// The pictures of the toolbar buttons: the style's own where it has one, else a small drawing.
#pragma once

#include <QIcon>

class QStyle;

namespace tarvix {

QIcon commandIcon(int commandId, const QStyle& style);

// The program's icon, every size rendered from resources/tarvix.svg: an 8086 chip on its
// board showing "86" on a seven-segment display.
QIcon applicationIcon();

}  // namespace tarvix
