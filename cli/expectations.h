// Whether a run meets what a test expects of it, checked on tarvix-run's own report.
#pragma once

#include <string>

#include "cli/headless_run.h"
#include "cli/task_file.h"

namespace tarvix {

// The first expectation the run misses, in words ("AX=0005, want 0006"), with how the run ended
// when that was not at HLT; empty when it meets them all.
std::string firstMiss(const Expectation& expect, const RunReport& report);

}  // namespace tarvix
