// tarvix-grade: grades a class's submissions against a teacher's task file. Each test runs as
// tarvix-run would run it, the tests of a submission in a worker process of their own; the marks
// go to standard output as a table and, on request, to JSON, CSV and JUnit files.
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/grade_batch.h"
#include "cli/grade_reports.h"
#include "cli/submissions.h"
#include "cli/task_file.h"
#include "cli/tool_status.h"
#include "common/text_file.h"

namespace {

using namespace tarvix;
namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tarvix-grade TASK.json PATH... [--jobs N] [--csv FILE] [--json FILE] [--junit FILE]\n"
    "  PATH          a submission, or a folder: every *.asm below it\n"
    "  --jobs N      workers at a time, each grading a submission, 1 to 256\n"
    "                (default: the number of cores)\n"
    "  --csv FILE    write the marks as CSV: one row a submission, a column per test\n"
    "  --json FILE   write every test's outcome as JSON\n"
    "  --junit FILE  write JUnit XML: one test case per submission and test\n";

constexpr int kMaxJobs = 256;

struct Options {
    std::string task;
    std::vector<std::string> paths;
    int jobs = static_cast<int>(std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN)));
    std::string csv;
    std::string json;
    std::string junit;
    bool help = false;
};

int refuse(std::string_view problem) {
    std::cerr << "tarvix-grade: " << problem << '\n';
    return kExitUsage;
}

std::string parseOptions(int argc, char** argv, Options& options) {
    CLI::App app;
    prepareApp(app);
    addValueOption(app, "--jobs", [&options](const std::string& text) {
        int jobs = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
        if (error != std::errc() || end != text.data() + text.size() || jobs < 1 ||
            jobs > kMaxJobs) {
            return std::string("--jobs needs a whole number from 1 to 256");
        }
        options.jobs = jobs;
        return std::string();
    });
    for (const auto& report : {std::pair{"--csv", &options.csv}, std::pair{"--json", &options.json},
                               std::pair{"--junit", &options.junit}}) {
        addValueOption(app, report.first, [report](const std::string& text) {
            *report.second = text;
            return text.empty() ? std::string(report.first) + " needs a file name" : std::string();
        });
    }
    app.add_flag("--help", options.help);
    app.add_option("task", options.task);
    app.add_option("paths", options.paths);
    std::string problem = parseCommandLine(app, argc, argv, "");
    if (!problem.empty() || options.help) {
        return problem;
    }
    if (options.task.empty()) {
        return "no task file given";
    }
    return options.paths.empty() ? "no submission given: name files or folders after the task" : "";
}

// A report must not take the place of what it reports on.
std::string outputProblem(const Options& options, const std::vector<Submission>& submissions) {
    for (const std::string* output : {&options.csv, &options.json, &options.junit}) {
        if (output->empty()) {
            continue;
        }
        std::error_code error;
        bool input = fs::equivalent(*output, options.task, error);
        for (const Submission& submission : submissions) {
            input = input || fs::equivalent(*output, submission.file, error);
        }
        if (input) {
            return *output + ": is an input of the grading; name another file for the report";
        }
        if (fs::is_directory(*output, error)) {
            return *output + ": is a folder; name a file for the report";
        }
    }
    return {};
}

bool writeReport(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return true;
    }
    // A report from an earlier grading stays whole until the new one is written.
    if (const std::string problem = writeGeneratedFile(path, text); !problem.empty()) {
        std::cerr << "tarvix-grade: cannot write the report: " << problem << '\n';
        return false;
    }
    return true;
}

// A bar on standard error while a person watches it, redrawn a few times a second.
GradeProgress progressBar() {
    if (::isatty(STDERR_FILENO) == 0) {
        return {};
    }
    return [last = std::chrono::steady_clock::time_point()](std::size_t done,
                                                            std::size_t total) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (done < total && now - last < std::chrono::milliseconds(100)) {
            return;
        }
        last = now;
        constexpr std::size_t kWidth = 40;
        const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
        std::cerr << "\rgrading [" << std::string(filled, '#') << std::string(kWidth - filled, ' ')
                  << "] " << done << "/" << total << " tests" << (done == total ? "\n" : "")
                  << std::flush;
    };
}

int command(int argc, char** argv) {
    Options options;
    if (const std::string problem = parseOptions(argc, argv, options); !problem.empty()) {
        std::cerr << "tarvix-grade: " << problem << '\n' << kUsage;
        return kExitUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    std::string problem;
    const std::optional<GradeTask> task = readTaskFile(options.task, problem);
    if (!task) {
        return refuse(options.task + ": " + problem);
    }
    const std::optional<std::vector<Submission>> submissions =
        collectSubmissions(options.paths, problem);
    if (!submissions) {
        return refuse(problem);
    }
    if (submissions->empty()) {
        return refuse("no submission: no *.asm file in the paths given");
    }
    if (problem = outputProblem(options, *submissions); !problem.empty()) {
        return refuse(problem);
    }

    const std::vector<SubmissionGrade> grades =
        gradeAll(*task, *submissions, options.jobs, progressBar(), problem);
    if (!problem.empty()) {
        return refuse(problem);
    }
    std::cout << gradeTable(*task, grades);
    bool written = writeReport(options.csv, gradeCsv(*task, grades));
    written = writeReport(options.json, gradeJson(*task, grades)) && written;
    written = writeReport(options.junit, gradeJunit(*task, grades)) && written;
    return written ? 0 : kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    guardStandardStreams();
    return statusAfterReport(command(argc, argv), "tarvix-grade");
}
