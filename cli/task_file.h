// A grading task: the teacher's JSON file of tests, each a run of the submission with its setup
// and limits, and what the run must show. The file is checked whole before anything runs;
// every refusal names the key's path, such as tests[1].setup.memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/headless_run.h"
#include "cli/kit_setup.h"

namespace tarvix {

// One value of tarvix-run's `devices` report the test looks at, as text: what `pointer` (a
// JSON pointer into that object) holds must read `want`.
struct DeviceCheck {
    std::string label;  // led8255[7], terminal, ...
    std::string pointer;
    std::string want;
    bool quoted = false;  // shown in quotes: a text
};

// Only what it names is checked.
struct Expectation {
    std::optional<std::string> status;
    std::vector<std::pair<std::string, std::uint16_t>> registers;  // AX .. FLAGS
    std::vector<std::pair<std::string, bool>> flags;               // CF .. OF, set or clear
    std::vector<MemoryBytes> memory;
    std::vector<DeviceCheck> devices;
    std::optional<std::string> pane;  // a regular expression (ECMAScript) the pane contains
    std::optional<std::uint64_t> maxCycles;
};

struct GradeTest {
    std::string name;
    double points = 1;
    RunRequest run;  // everything but the path and the start
    Expectation expect;
};

struct GradeTask {
    std::string title;
    std::vector<GradeTest> tests;
    double maxPoints() const;
};

// Unless the task says otherwise: a loop that never ends stops soon, and no run takes long.
inline constexpr std::uint64_t kDefaultMaxSteps = 10'000'000;
inline constexpr double kDefaultTimeoutSeconds = 10;

// The task in `text`; nothing, with the refusal in `problem`, when the text is no valid task.
// `title` stands in for a task without one.
std::optional<GradeTask> parseTask(std::string_view text, const std::string& title,
                                   std::string& problem);

// The task file at `path`, which must be a readable regular file of at most 1 MiB.
std::optional<GradeTask> readTaskFile(const std::string& path, std::string& problem);

// The flags a test may name, with their bits in FLAGS.
struct FlagName {
    std::string_view name;
    std::uint16_t mask;
};
const std::vector<FlagName>& flagNames();

}  // namespace tarvix
