// One test of one submission: the run, what it missed, and the outcome as a line of text that
// a worker process hands back to the grader.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/task_file.h"

namespace tarvix {

struct TestOutcome {
    bool passed = false;
    double points = 0;
    // halted, error, limit or breakpoint as the run ended; refused (setup over the program),
    // crashed, or not run (no program's text).
    std::string status;
    std::string detail;  // the first miss in words; empty when passed
    double seconds = 0;  // wall time
};

// Runs the test on the source at `path`, in this process.
TestOutcome runTest(const GradeTest& test, const std::string& path);

std::string outcomeLine(const TestOutcome& outcome);
std::optional<TestOutcome> parseOutcomeLine(std::string_view line);

}  // namespace tarvix
