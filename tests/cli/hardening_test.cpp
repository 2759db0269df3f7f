// Both tools as a hostile user or a batch of student files meets them: the same lines for
// the same file, files left whole, limits that hold, reports that parse.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/cli/run_tool.h"

namespace {

namespace fs = std::filesystem;
using tarvix::readFile;
using tarvix::writeFile;

using Hardening = ToolTest;

// Whatever its line ends, a file has the same lines for the assembler and for the run.
TEST_F(Hardening, BothToolsBreakLinesAtEveryLineEnd) {
    struct Case {
        std::string text;
        int status;
        std::string pane;  // the first line both tools agree on
    };
    const Case cases[] = {
        {"mov ax,1\r\nmov bx,2\nhlt\r\n", 0, "Done. [ 2 instrns"},
        {"mov ax,1\rmov bx,2\rhlt\r", 0, "Done. [ 2 instrns"},
        {"mov ax,1\n\rmov bx,2\r\n\rhlt", 0, "Done. [ 2 instrns"},
        {";" + std::string(40000, 'x') + "\nmov ax,1\nhlt\n", 0, "Done. [ 1 instrns"},
        {"nop\rnop\r\n\nmov ax,\n", 1, "Line 4 Error: Unrecognized/unsupported instruction"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 24));
        const std::string file = source("lines" + std::to_string(++n) + ".asm", c.text);
        const Outcome assembled = runTool(TARVIX_ASM, file);
        EXPECT_EQ(assembled.status, c.status) << assembled.output;
        const Outcome ran = runTool(TARVIX_RUN, file);
        EXPECT_EQ(ran.status, c.status) << ran.output;
        EXPECT_EQ(ran.output.rfind(c.pane, 0), 0u) << ran.output;
        if (c.status != 0) {
            EXPECT_EQ(assembled.output, c.pane + "\n");
        }
    }
}

// A list file that cannot or must not be written, and a report that cannot be: status 2 from
// both tools, and every file as it was.
TEST_F(Hardening, WhatCannotBeWrittenIsRefusedAlike) {
    const std::string program = "mov ax,1\nhlt\n";
    writeFile(folder / "victim.txt", "kept");
    fs::create_directory(folder / "sub");
    writeFile(folder / "sub/linked.asm", program);
    fs::create_symlink(folder / "victim.txt", folder / "sub/linked.lst");
    writeFile(folder / "self.lst", program);
    writeFile(folder / "twin.asm", program);
    fs::create_hard_link(folder / "twin.asm", folder / "twin.lst");
    writeFile(folder / "dir.asm", program);
    fs::create_directory(folder / "dir.lst");
    writeFile(folder / "noext", program);
    writeFile(folder / "ok.asm", program);
    const std::string path = "'" + folder.path().string() + "/";
    std::vector<std::pair<std::string, std::string>> commands;
    for (const char* tool : {TARVIX_ASM, TARVIX_RUN}) {
        for (const char* name : {"sub/linked.asm", "self.lst", "twin.asm", "dir.asm", "noext"}) {
            commands.emplace_back(tool, path + name + "'");
        }
    }
    for (const char* output : {" >/dev/full", " >&-"}) {
        commands.emplace_back(TARVIX_ASM, std::string("--encode nop") + output);
        commands.emplace_back(TARVIX_RUN, path + "ok.asm'" + output);
    }
    for (const auto& [tool, arguments] : commands) {
        SCOPED_TRACE(tool + " " + arguments);
        const Outcome outcome = runTool("sh -c \"" + tool, arguments + "\"");
        EXPECT_EQ(outcome.status, 2) << outcome.output;
    }
    EXPECT_EQ(readFile(folder / "victim.txt"), "kept");
    EXPECT_EQ(readFile(folder / "self.lst"), program);
    EXPECT_EQ(readFile(folder / "twin.asm"), program);
}

// The JSON report is plain ASCII whatever bytes the source holds, and an error ends the
// speaker's tone as it does in the desktop program.
TEST_F(Hardening, TheJsonReportFollowsTheKit) {
    struct Case {
        std::string text;
        std::string part;  // of the report
    };
    const std::string tone =
        "connect speaker\nmov al,b6\nout 43,al\nmov al,a9\nout 42,al\n"
        "mov al,4\nout 42,al\n";
    const Case cases[] = {
        {"jz caf\xe9\nhlt\n", "\"pane\": \"Error: Unrecognized symbol caf\\u00e9\""},
        {"jz caf\xc3\xa9\nhlt\n", "\"pane\": \"Error: Unrecognized symbol caf\\u00e9\""},
        {tone + "hlt\n", "\"speakerHz\": 1000"},
        {tone + "mov al,[0]\nhlt\n", "\"speakerHz\": 0"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome outcome =
            runTool(TARVIX_RUN, "--json " + source("json" + std::to_string(++n) + ".asm", c.text));
        EXPECT_NE(outcome.output.find(c.part), std::string::npos) << outcome.output;
        EXPECT_TRUE(std::all_of(outcome.output.begin(), outcome.output.end(), [](char byte) {
            return (byte >= 0x20 && byte < 0x7F) || byte == '\n';
        })) << outcome.output;
    }
}

// 8 MiB of empty lines is refused as a large file before all its lines are held in memory.
TEST_F(Hardening, ALargeFileIsRefusedWhileItIsRead) {
    const std::string file = source("empty.asm", std::string(8 * 1024 * 1024, '\n'));
    const Outcome outcome = runTool(TARVIX_RUN, file);
    EXPECT_EQ(outcome.output.rfind("Error: Large file\n", 0), 0u) << outcome.output;
    rusage children{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, 200 * 1024) << "kilobytes at the peak";
}

// The time limit counts from the start: 8 MB of data lines never get to run.
TEST_F(Hardening, TheTimeLimitCoversTheAssembly) {
    std::string text;
    for (int i = 0; i < 9999; ++i) {
        text += "db '" + std::string(796, 'a') + "'\n";
    }
    const Outcome outcome = runTool(TARVIX_RUN, "--timeout 0.1 " + source("long.asm", text));
    EXPECT_EQ(outcome.status, 3) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("Assembling... ;Aborting...\n", 0), 0u) << outcome.output;
}

// A run ended by SIGTERM, SIGINT or SIGHUP leaves none of its temporary folders behind.
TEST_F(Hardening, ASignalLeavesNoTemporaryFolders) {
    const fs::path program = folder / "forever.asm";
    writeFile(program, "l: jmp l\n");
    const fs::path temporary = folder / "tmp";
    const std::string tmpdir = "TMPDIR=" + temporary.string();
    char* const arguments[] = {const_cast<char*>(TARVIX_RUN), const_cast<char*>(program.c_str()),
                               nullptr};
    char* const environment[] = {const_cast<char*>(tmpdir.c_str()), nullptr};
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        fs::create_directory(temporary);
        const pid_t child = ::fork();
        if (child == 0) {
            ::execve(TARVIX_RUN, arguments, environment);
            ::_exit(127);
        }
        // The terminal's folder and the assembler's are both there once the program runs.
        const auto made = [&] {
            return std::distance(fs::directory_iterator(temporary), fs::directory_iterator());
        };
        for (int wait = 0; wait < 1000 && made() < 2; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(made(), 2);
        ::kill(child, signalNumber);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        for (const auto& left : fs::recursive_directory_iterator(temporary)) {
            ADD_FAILURE() << "left behind: " << left.path();
        }
        fs::remove_all(temporary);
    }
}

// A temporary folder deeper than a socket's path allows: the built-in terminal still listens.
TEST_F(Hardening, TheTerminalListensWhateverTheTemporaryFolder) {
    const fs::path deep = folder / std::string(100, 'd');
    fs::create_directory(deep);
    const Outcome outcome = runTool("TMPDIR='" + deep.string() + "' " + TARVIX_RUN,
                                    "'" TARVIX_SOURCE_DIR "/examples/hello.asm'");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("terminal: HELLO"), std::string::npos) << outcome.output;
}

}  // namespace
