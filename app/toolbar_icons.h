// The pictures of the toolbar buttons: the style's own where it has one, else a small drawing.
#pragma once

#include <QIcon>

class QStyle;

namespace tarvix {

QIcon commandIcon(int commandId, const QStyle& style);

// The program's icon: an 8086 chip showing a seven-segment digit.
QIcon applicationIcon();

}  // namespace tarvix
