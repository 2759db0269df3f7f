// Before every Run or Step: the source is assembled in run mode, its bytes go into memory, and
// the run-mode list file is read back into the program image.
#pragma once

#include <string>

#include "simulator/kit.h"
#include "simulator/run_host.h"

namespace tarvix {

// Saves the source through the host, assembles it and loads every byte; false after
// reporting why.
bool assembleAndLoad(Kit& kit, int editorLines, RunHost& host);

// Reads the list file beside the source into the line map and the code ranges; false, without
// a message, when there is no path or no list file.
bool buildProgramImage(Kit& kit, const std::string& sourcePath);

}  // namespace tarvix
