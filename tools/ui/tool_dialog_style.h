// The look the small tool dialogs share: the kit's fixed-pitch font.
#pragma once

#include <QFont>

namespace tarvix {

QFont toolDialogFont();

}  // namespace tarvix
