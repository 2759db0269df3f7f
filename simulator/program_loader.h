// Before every Run or Step: the source is assembled in run mode, its bytes go into memory, and
// the run-mode list file is read back into the program image.
#pragma once

#include <string>

#include "editor/x86_text_buffer.h"
#include "simulator/kit.h"
#include "simulator/run_host.h"

namespace tarvix {

// Saves the source through the host, assembles it and loads every byte; false after
// reporting why.
bool assembleAndLoad(Kit& kit, int editorLines, RunHost& host);

// The Assemble command: saves the source and writes its listing-mode list file, whose path it
// gives; false after reporting why. The listing replaces the run-mode file the last Run
// loaded, so the buffer is marked as needing assembly and the next Run assembles again.
bool assembleForListing(Kit& kit, CX86TextBuffer& buffer, RunHost& host, std::string& listPath);

// Reads the list file beside the source into the line map and the code ranges; false, without
// a message, when there is no path or no list file.
bool buildProgramImage(Kit& kit, const std::string& sourcePath);

}  // namespace tarvix
