// The fonts the kit's windows name. "courier" and "Courier New" are the platform's monospaced
// font, found by the face name and the Monospace hint; "Fixedsys", the OEM fixed font, is the
// system's fixed font.
#pragma once

#include <QFont>

namespace tarvix {

QFont monospacedFont(const char* face);
// At the size of the kit's panes: 12 pixels, so that the register lines, 15 pixels apart, each
// keep a row of their own.
QFont fixedsysFont();

}  // namespace tarvix
