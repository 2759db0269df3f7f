// The colour scheme of the editor and the panels: the kit's own colours, or high contrast
// for students who need it. The window chrome follows the platform's palette either way.
#pragma once

namespace tarvix {

bool highContrast();
// Widgets read it as they paint; whoever changes it repaints them.
void setHighContrast(bool on);

}  // namespace tarvix
