// tarvix-grade over a class far larger than any: 1000 submissions, three tests of about 100,000
// instructions each, graded by the command itself as a teacher starts it. The counter
// "seconds" is the whole batch's wall time; the target is under a minute on two cores.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kSubmissions = 1000;

// Each test counts CX down by LOOP: two instructions a pass, about 100,000 in all.
constexpr const char* kTask = R"({
  "title": "Count to CX",
  "tests": [
    {"name": "C350", "setup": {"registers": {"CX": "C350"}},
     "expect": {"status": "halted", "registers": {"AX": "C350"}, "memory": {"1A00": "50 C3"}}},
    {"name": "C000", "setup": {"registers": {"CX": "C000"}},
     "expect": {"status": "halted", "registers": {"AX": "C000"}}},
    {"name": "CF00", "setup": {"registers": {"CX": "CF00"}},
     "expect": {"status": "halted", "registers": {"AX": "CF00"}}}
  ]
})";

// Every tenth submission counts by two, and misses every test.
std::string submission(int number) {
    return "; submission " + std::to_string(number) +
           "\n        xor ax,ax\nagain:  " + (number % 10 == 0 ? "add ax,2" : "inc ax") +
           "\n        loop again\n        mov [1a00],ax\n        hlt\n";
}

fs::path writeClass() {
    const fs::path folder =
        fs::temp_directory_path() / ("tarvix_grade_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder / "class");
    std::ofstream(folder / "task.json") << kTask;
    for (int number = 0; number < kSubmissions; ++number) {
        std::ofstream(folder / "class" / ("student" + std::to_string(number) + ".asm"))
            << submission(number);
    }
    return folder;
}

// The grader with its table sent to /dev/null; false unless it exits 0.
bool grade(const fs::path& folder) {
    const std::string task = (folder / "task.json").string();
    const std::string submissions = (folder / "class").string();
    std::vector<char*> argv = {const_cast<char*>(TARVIX_GRADE), const_cast<char*>(task.c_str()),
                               const_cast<char*>(submissions.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, TARVIX_GRADE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void BM_GradeAThousandSubmissions(benchmark::State& state) {
    const fs::path folder = writeClass();
    for (auto _ : state) {
        if (!grade(folder)) {
            state.SkipWithError("tarvix-grade failed");
            break;
        }
    }
    fs::remove_all(folder);
    state.counters["tests"] = kSubmissions * 3;
    state.counters["cores"] = static_cast<double>(::sysconf(_SC_NPROCESSORS_ONLN));
}

BENCHMARK(BM_GradeAThousandSubmissions)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
