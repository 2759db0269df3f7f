// The program's bundled files (error sound, icon, user guide) live in this static library;
// whoever links it calls this once before using them.
#pragma once

namespace tarvix {

void loadAppResources();

}  // namespace tarvix
