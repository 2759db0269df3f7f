// The fixed-pitch font the kit's panes use, sized so that the register lines' pixel
// positions leave each line its own row.
#pragma once

#include <QFont>

namespace tarvix {

QFont kitFixedFont();

}  // namespace tarvix
