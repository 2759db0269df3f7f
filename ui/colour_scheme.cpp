#include "ui/colour_scheme.h"

namespace tarvix {

namespace {

bool highContrastOn = false;

}  // namespace

bool highContrast() {
    return highContrastOn;
}

void setHighContrast(bool on) {
    highContrastOn = on;
}

}  // namespace tarvix
