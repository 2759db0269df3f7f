// The grader's parts in one process: what each expectation says when a run misses it, which
// files a grading takes, and reports whatever names and bytes they carry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/grade_reports.h"
#include "cli/grade_test.h"
#include "cli/submissions.h"
#include "cli/task_file.h"
#include "tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvix;

// Each case is a program, a test's keys besides its name, and what the run misses: the first
// miss in words, how it begins; empty when the run meets every expectation.
TEST(Grading, EachExpectationSaysWhatTheRunMissed) {
    struct Case {
        std::string source;
        std::string keys;
        std::string miss;
    };
    const std::string led =
        "connect led55\nmov al,80\nout 26,al\nmov al,fe\nout 22,al\n"
        "mov al,3f\nout 20,al\nhlt\n";
    const std::string bang =
        "mov al,ca\nout 61,al\nmov al,11\nout 61,al\nmov al,21\n"
        "out 60,al\nhlt\n";
    const Case cases[] = {
        {"mov ax,5\nhlt\n", R"("expect": {"status": "halted", "registers": {"ax": "5"}})", ""},
        {"mov ax,5\nhlt\n", R"("expect": {"registers": {"BX": "0", "AX": "6"}})",
         "AX=0005, want 0006"},
        {"stc\nhlt\n", R"("expect": {"flags": {"zf": 0, "CF": 0}})", "CF=1, want 0"},
        {"mov wptr [1900],7\nhlt\n", R"("expect": {"memory": {"1900": "07 01"}})",
         "[1901]=00, want 01"},
        {led, R"("expect": {"devices": {"led8255": [null, null, null, null, null, null, null,
           "3e"]}})",
         "led8255[7]=3F, want 3E"},
        {led, R"("expect": {"devices": {"connected": ["speaker", "LED55"]}})",
         "connected=[led55], want [led55, speaker]"},
        {"connect led79\nconnect stepper\nhlt\n",
         R"("expect": {"devices": {"connected": ["stepper", "led79"]}})", ""},
        {bang, R"("expect": {"devices": {"terminal": "?", "speakerHz": 0}})",
         "terminal=\"!\", want \"?\""},
        {"hlt\n", R"("expect": {"devices": {"speakerHz": 1000}})", "speakerHz=0, want 1000"},
        {"nop\nhlt\n", R"("expect": {"pane": "^Done\\. \\[ 1 instrns"})", ""},
        {"nop\nhlt\n", R"("expect": {"pane": "Error"})", "pane \"Done. [ 1 instrns @ "},
        {"mov ax,5\nhlt\n", R"("expect": {"maxCycles": 3})", "cycles=4, want at most 3"},
        {"mov al,[0]\nhlt\n", R"("expect": {"registers": {"AX": "1"}})",
         "AX=0000, want 0001 (Line 1 Error: "},
        {"l: jmp l\n", R"("maxSteps": 10, "expect": {"status": "halted"})",
         "status limit, want halted (stopped after 10 instructions)"},
        {"mov ax,1\nmov ax,2\nhlt\n",
         R"("break": [2], "expect": {"status": "breakpoint", "registers": {"AX": "1"}})", ""},
        {"add ax,cx\nadd al,[1900]\nhlt\n",
         R"("setup": {"registers": {"CX": "10"}, "memory": {"1900": "2"}},
            "expect": {"registers": {"AX": "12"}})",
         ""},
        {"nop\nhlt\n", R"("setup": {"memory": {"1000": "1"}}, "expect": {})",
         "cannot poke 1000: the program's own bytes are there"},
    };
    ScratchFolder folder;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source + c.keys);
        std::string problem;
        const auto task =
            parseTask(R"({"tests": [{"name": "t", )" + c.keys + "}]}", "task", problem);
        ASSERT_TRUE(task.has_value()) << problem;
        const fs::path source = folder / ("p" + std::to_string(++n) + ".asm");
        writeFile(source, c.source);
        const TestOutcome outcome = runTest(task->tests[0], source.string());
        EXPECT_EQ(outcome.passed, c.miss.empty()) << outcome.detail;
        EXPECT_EQ(outcome.detail.rfind(c.miss, 0), 0u) << outcome.detail;
    }
}

// Every *.asm below a folder, in any case of its extension, once however often it is named.
TEST(Grading, SubmissionsAreTheAsmFilesBelowTheFolders) {
    ScratchFolder folder;
    fs::create_directories(folder / "class/sub/deeper");
    for (const char* name : {"class/a.asm", "class/sub/B.ASM", "class/sub/deeper/c.asm",
                             "class/notes.txt", "class/sub/d.asm.bak"}) {
        writeFile(folder / name, "hlt\n");
    }
    const std::string root = (folder / "class").string();
    std::string problem;
    const auto found = collectSubmissions({root, root + "/a.asm", root + "/./sub"}, problem);
    ASSERT_TRUE(found.has_value()) << problem;
    std::vector<std::string> files;
    for (const Submission& submission : *found) {
        files.push_back(fs::path(submission.file).lexically_relative(root).string());
    }
    EXPECT_EQ(files, (std::vector<std::string>{"a.asm", "sub/B.ASM", "sub/deeper/c.asm"}));
}

TEST(Grading, OnlyTextIsAProgram) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {" \r\n\t\n", "the file is empty"},
        {std::string("nop\0", 4), "not a text file: it holds control bytes"},
        {"nop\x1b[0m\n", "not a text file: it holds control bytes"},
        {"nop\r\n\x1a", ""},
        {"jz caf\xe9\n", ""},
    };
    for (const auto& [bytes, refusal] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(textRefusal(bytes), refusal);
    }
}

// Names with the CSV's and XML's own characters, and bytes that are no UTF-8, reach every
// report as valid text.
TEST(Grading, ReportsCarryAnyNameAndBytes) {
    std::string problem;
    const auto task = parseTask(R"({"title": "<&>", "tests": [{"name": "a,\"b\"", "expect": {}}]})",
                                "task", problem);
    ASSERT_TRUE(task.has_value()) << problem;
    const std::vector<SubmissionGrade> grades = {
        {"caf\xe9 <&>.asm", {{false, 0, "error", "Error: Unrecognized symbol caf\xe9\x01", 0}}}};
    EXPECT_NE(gradeCsv(*task, grades).find("file,points,maxPoints,\"a,\"\"b\"\"\"\r\n"),
              std::string::npos);
    const std::string junit = gradeJunit(*task, grades);
    EXPECT_NE(junit.find("name=\"caf\xc3\xa9 &lt;&amp;&gt;.asm\""), std::string::npos) << junit;
    EXPECT_NE(junit.find("message=\"Error: Unrecognized symbol caf\xc3\xa9\"/>"), std::string::npos)
        << junit;
    const nlohmann::json json = nlohmann::json::parse(gradeJson(*task, grades));
    EXPECT_EQ(json["submissions"][0]["file"], "caf\xc3\xa9 <&>.asm");
}

}  // namespace
