// The grader's task-file reader on any text: it accepts a task or refuses it with a message
// naming where, and never crashes, throws or accepts a task it could not run.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/task_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvix;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const std::optional<GradeTask> task = parseTask(text, "fuzz", problem);
    if (task.has_value() == !problem.empty()) {
        std::abort();  // an accepted task with a refusal, or a refusal without words
    }
    if (task && task->tests.empty()) {
        std::abort();
    }
    return 0;
}
