// tarvix-grade end to end: the example task over its three sample submissions and two files
// that are no programs, with every report it writes; and the refusals before anything runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/cli/run_tool.h"

namespace {

namespace fs = std::filesystem;
using tarvix::readFile;
using tarvix::writeFile;

using TarvixGrade = ToolTest;

const fs::path kGrading = fs::path(TARVIX_SOURCE_DIR) / "examples" / "grading";

TEST_F(TarvixGrade, GradesTheExamplesInEveryReport) {
    writeFile(folder / "binary.asm", std::string("mov ax,1\0\x01\x02", 11));
    writeFile(folder / "empty.asm", " \n\n");
    const std::string task = "'" + (kGrading / "sum_table.json").string() + "'";
    const Outcome outcome =
        runTool(TARVIX_GRADE, task + " '" + kGrading.string() + "' '" + folder.path().string() +
                                  "' --jobs 2 --csv '" + (folder / "marks.csv").string() +
                                  "' --json '" + (folder / "marks.json").string() + "' --junit '" +
                                  (folder / "marks.xml").string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;

    const std::string binary = (folder / "binary.asm").string();
    const std::string empty = (folder / "empty.asm").string();
    const std::string endless = (kGrading / "endless_loop.asm").string();
    const std::string full = (kGrading / "full_marks.asm").string();
    const std::string wrong = (kGrading / "wrong_answer.asm").string();
    // Sorted by name; the scratch folder lives under the temporary directory.
    const bool scratchFirst = folder.path().string() < kGrading.string();
    const std::string rows[] = {
        "0       5  three numbers: not a text file: it holds control bytes",
        "0       5  three numbers: the file is empty",
        "1       5  three numbers: status limit, want halted (stopped after 1000000 "
        "instructions)",
        "5       5",
        "3       5  carry into the high byte: AX=0000, want 0200",
    };
    const std::string files[] = {binary, empty, endless, full, wrong};
    std::size_t at = outcome.output.find('\n');
    for (int i = 0; i < 5; ++i) {
        const int row = scratchFirst ? i : (i + 2) % 5;
        SCOPED_TRACE(files[row]);
        const std::size_t start = outcome.output.find(files[row], at);
        ASSERT_NE(start, std::string::npos) << outcome.output;
        const std::size_t end = outcome.output.find('\n', start);
        EXPECT_TRUE(outcome.output.substr(start, end - start).ends_with(rows[row]))
            << outcome.output;
        at = end;
    }
    EXPECT_NE(outcome.output.find("\n5 submissions, mean 1.8 of 5 points, 1 with full marks\n"),
              std::string::npos)
        << outcome.output;

    const nlohmann::json json = nlohmann::json::parse(readFile(folder / "marks.json"));
    EXPECT_EQ(json["task"], "Sum of a byte table");
    ASSERT_EQ(json["submissions"].size(), 5u);
    for (const nlohmann::json& submission : json["submissions"]) {
        if (submission["file"] == wrong) {
            EXPECT_EQ(submission["points"], 3);
            EXPECT_EQ(submission["maxPoints"], 5);
            EXPECT_EQ(submission["tests"][1],
                      nlohmann::json::parse(
                          R"({"name": "carry into the high byte", "passed": false, "points": 0,
                              "status": "halted", "detail": "AX=0000, want 0200"})"));
        }
    }

    const std::string csv = readFile(folder / "marks.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "file,points,maxPoints,three numbers,carry into the high byte,one byte\r\n");
    EXPECT_NE(csv.find(wrong + ",3,5,2,0,1\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(endless + ",1,5,0,0,1\r\n"), std::string::npos) << csv;

    const std::string junit = readFile(folder / "marks.xml");
    EXPECT_NE(junit.find("<testsuites name=\"Sum of a byte table\" tests=\"15\" failures=\"9\""),
              std::string::npos)
        << junit;
    EXPECT_NE(junit.find("<failure type=\"halted\" message=\"AX=0000, want 0200\"/>"),
              std::string::npos)
        << junit;

    for (const auto& entry : fs::directory_iterator(kGrading)) {
        EXPECT_NE(entry.path().extension(), ".lst") << "a list file beside the submissions";
    }
}

// The worker's process, once the grader has started it.
pid_t workerOf(pid_t grader) {
    const fs::path children =
        "/proc/" + std::to_string(grader) + "/task/" + std::to_string(grader) + "/children";
    for (int wait = 0; wait < 1000; ++wait) {
        const std::string pids = readFile(children);
        if (!pids.empty()) {
            return static_cast<pid_t>(std::stol(pids));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

// A worker that dies costs the test it was running only: the tests after it run in a new one.
TEST_F(TarvixGrade, ACrashedWorkerCostsItsTestOnly) {
    writeFile(folder / "task.json",
              R"({"defaults": {"maxSteps": 100000000000, "timeout": 0.2},
                  "tests": [{"name": "a", "timeout": 60, "expect": {}},
                            {"name": "b", "expect": {"status": "halted"}},
                            {"name": "c", "expect": {"status": "halted"}}]})");
    writeFile(folder / "loop.asm", "l: jmp l\n");
    const std::string task = (folder / "task.json").string();
    const std::string loop = (folder / "loop.asm").string();
    const std::string json = (folder / "marks.json").string();
    const pid_t grader = ::fork();
    if (grader == 0) {
        ::execl(TARVIX_GRADE, TARVIX_GRADE, task.c_str(), loop.c_str(), "--json", json.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const pid_t worker = workerOf(grader);
    ASSERT_GT(worker, 0);
    ::kill(worker, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(grader, &status, 0), grader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const nlohmann::json tests = nlohmann::json::parse(readFile(json))["submissions"][0]["tests"];
    EXPECT_EQ(tests[0]["status"], "crashed");
    EXPECT_EQ(tests[0]["detail"], "the run crashed (Killed)");
    for (const std::size_t t : {1U, 2U}) {
        EXPECT_EQ(tests[t]["detail"], "status limit, want halted (stopped by the time limit)");
    }
}

TEST_F(TarvixGrade, RefusesBeforeAnythingRuns) {
    struct Case {
        std::string arguments;
        int status;
        std::string part;  // of the output
    };
    const std::string task = "'" + (kGrading / "sum_table.json").string() + "' ";
    const std::string submission = "'" + (kGrading / "full_marks.asm").string() + "'";
    fs::create_directory(folder / "none");
    const Case cases[] = {
        {source("bad.json", R"({"tests": [{"name": "t", "expect": {"regs": {}}}]})") + " " +
             submission,
         2, "tests[0].expect: unknown key \"regs\""},
        {task + "'" + (folder / "missing").string() + "'", 2, "no such file or folder"},
        {task + "'" + (folder / "none").string() + "'", 2, "no submission"},
        {task, 2, "no submission given"},
        {task + submission + " --jobs 0", 2, "--jobs needs a whole number from 1 to 256"},
        {task + submission + " --json " + task, 2, "is an input of the grading"},
        {"--help", 0, "usage: tarvix-grade "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome outcome = runTool(TARVIX_GRADE, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.output;
        EXPECT_NE(outcome.output.find(c.part), std::string::npos) << outcome.output;
    }
}

}  // namespace
