// While the kit is stepping, Enter anywhere steps the program, but a widget that edits with
// it keeps it: a line edit, or a widget with this property set to true.
#pragma once

namespace tarvix {

inline constexpr const char* kTakesEnterWhileStepping = "takesEnterWhileStepping";

}  // namespace tarvix
