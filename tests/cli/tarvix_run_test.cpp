// tarvix-run as a grading script uses it: the JSON report of the bundled examples, exit
// status and refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/cli/run_tool.h"

namespace {

namespace fs = std::filesystem;

using tarvix::readFile;

using TarvixRun = ToolTest;

// Every report under tests/cli/golden: NAME.json is what `tarvix-run --json` prints for
// examples/NAME.asm, run with the options in NAME.args. The kit's time makes the whole report,
// the rate too, the same on every machine.
TEST_F(TarvixRun, ExamplesGiveTheirReports) {
    const fs::path root = TARVIX_SOURCE_DIR;
    int reports = 0;
    for (const auto& entry : fs::directory_iterator(root / "tests" / "cli" / "golden")) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        const std::string name = entry.path().stem().string();
        const fs::path example = root / "examples" / (name + ".asm");
        ASSERT_TRUE(fs::exists(example)) << name << ".json has no example";
        fs::path argsPath = entry.path();
        argsPath.replace_extension(".args");
        std::string args = readFile(argsPath);
        while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) {
            args.pop_back();
        }
        const std::string copy = source(name + ".asm", readFile(example));
        const Outcome outcome = runTool(TARVIX_RUN, "--json " + args + " " + copy);
        EXPECT_EQ(outcome.output, readFile(entry.path())) << name;
        ++reports;
    }
    EXPECT_GE(reports, 2);
}

TEST_F(TarvixRun, ExitStatus) {
    struct Case {
        std::string arguments;
        int status;
        std::string firstLine;  // of the output; empty: not checked
    };
    const Case cases[] = {
        {"--max-steps 50 " + source("loop.asm", "l: jmp l\n"), 3, "Done. [ 50 instrns @ "},
        {"--timeout 0.2 " + source("loop2.asm", "l: jmp l\n"), 3, "Done. [ "},
        {"--step " + source("step.asm", "nop\nhlt\n"), 0,
         "In Single-Step Mode. ;Disabling HW interrupts."},
        {"'" + (folder / "missing.asm").string() + "'", 2, ""},
        {"--keys ab --key-interval 0 " + source("k3.asm", "hlt\n"), 2, ""},
        {"--hwtimer --max-steps 600000 " + source("nmi.asm", "l: jmp l\n"), 1,
         "Error: Undefined Symbol 'int2'"},
        {"--no-terminal " +
             source("t.asm", "mov al,ca\nout 61,al\nmov al,11\nout 61,al\nout 60,al\nhlt\n"),
         1, "Line 5 Error: Terminal program not running"},
        {"--memory 0-10 " + source("m.asm", "hlt\n"), 2, ""},
        {"--break 2 " + source("b.asm", "mov cx,3\nl: loop l\nhlt\n"), 0, "Done. [ 1 instrns @ "},
        {"--break 0 " + source("b0.asm", "hlt\n"), 2, ""},
        {"--break 5 " + source("b5.asm", "nop\nhlt\n"), 2, ""},
        {"--step --break 1 " + source("bs.asm", "hlt\n"), 2, ""},
        {"--keys -x " + source("dash.asm", "hlt\n"), 0, "Done. [ 0 instrns @ "},
        {"--bogus", 2, ""},
        {"", 2, ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runTool(TARVIX_RUN, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments << "\n" << outcome.output;
        if (!c.firstLine.empty()) {
            EXPECT_EQ(outcome.output.rfind(c.firstLine, 0), 0u) << c.arguments << "\n"
                                                                << outcome.output;
        } else {
            EXPECT_NE(outcome.output.find("tarvix-run: "), std::string::npos) << c.arguments;
        }
    }
}

// The text report ends with what a watcher would notice of the devices.
TEST_F(TarvixRun, TextReportShowsTheDevices) {
    const Outcome outcome = runTool(
        TARVIX_RUN, source("d.asm",
                           "connect led55\nconnect speaker\nmov al,80\nout 26,al\nmov al,fe\n"
                           "out 22,al\nmov al,3f\nout 20,al\nmov al,ca\nout 61,al\nmov al,11\n"
                           "out 61,al\nmov al,21\nout 60,al\nhlt\n"));
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    const std::string tail = "led55: 00 00 00 00 00 00 00 3F\nspeaker: silent\nterminal: !\n";
    ASSERT_GE(outcome.output.size(), tail.size()) << outcome.output;
    EXPECT_EQ(outcome.output.substr(outcome.output.size() - tail.size()), tail) << outcome.output;
}

// Keys arrive by instruction count: the same run gives the same report on any machine.
TEST_F(TarvixRun, KeysArriveEveryKeyInterval) {
    const std::string program = source("keys.asm",
                                       "again: in al,50\n"
                                       "       xchg al,[1800]\n"
                                       "       jmp again\n");
    const Outcome outcome = runTool(
        TARVIX_RUN, "--keys xyz --key-interval 3 --max-steps 8 --memory 1800-1800 " + program);
    EXPECT_EQ(outcome.status, 3);
    // Key x arrives after the third instruction, y after the sixth; the eighth stores y.
    EXPECT_NE(outcome.output.find("1800: 79"), std::string::npos) << outcome.output;
}

// The 1 Hz interrupt comes before the very instruction at which the kit's second is full.
// INC AX and JMP take 2 + 15 clocks; the second is full at 5,000,000 clocks, which the JMP
// of the 294,118th pass crosses: the NMI comes after 588,236 instructions, AX = 294,118.
TEST_F(TarvixRun, TheTimerComesAtItsVeryInstruction) {
    const Outcome outcome = runTool(
        TARVIX_RUN, "--hwtimer " + source("nmi.asm", "again: inc ax\njmp again\nint2: hlt\n"));
    EXPECT_EQ(outcome.output.rfind("Done. [ 588236 instrns @ ", 0), 0u) << outcome.output;
    EXPECT_NE(outcome.output.find("Ax= 7CE6"), std::string::npos) << outcome.output;
}

// --poke and --set give the program its inputs after it is loaded, Run or Step alike; they
// never write over its own bytes.
TEST_F(TarvixRun, PokeAndSetGiveTheInputs) {
    struct Case {
        std::string arguments;
        int status;
        std::string part;  // of the output
    };
    const std::string sum = source("sum.asm", "mov al,[1900]\nadd al,[1902]\nadd al,cl\nhlt\n");
    const Case cases[] = {
        {"--json --poke 1900=01,02,03 --set cx=10 --set CX=0004 --memory 1900-1903 " + sum, 0,
         "\"AX\": \"0008\", \"BX\": \"0000\", \"CX\": \"0004\""},
        {"--json --poke 1900=01,02,03 --memory 1900-1903 " + sum, 0, "\"bytes\": \"01 02 03 00\""},
        {"--json --step --set sp=1800 --set si=5 " + sum, 0,
         "\"SI\": \"0005\", \"DI\": \"0000\", \"BP\": \"0000\", \"SP\": \"1800\""},
        {"--poke 1000=90 " + sum, 2, "tarvix-run: cannot poke 1000: the program's own bytes"},
        {"--poke 1006=90 " + sum, 2, "tarvix-run: cannot poke 1006: "},
        {"--poke 1FFF=01,02 " + sum, 2, "tarvix-run: --poke needs ADDR=BYTES"},
        {"--poke 1900= " + sum, 2, "tarvix-run: --poke needs ADDR=BYTES"},
        {"--poke 1900=100 " + sum, 2, "tarvix-run: --poke needs ADDR=BYTES"},
        {"--set al=1 " + sum, 2, "tarvix-run: --set needs REG=VALUE"},
        {"--set cx=10000 " + sum, 2, "tarvix-run: --set needs REG=VALUE"},
        {"--set " + sum, 2, "tarvix-run: --set needs REG=VALUE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome outcome = runTool(TARVIX_RUN, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.output;
        EXPECT_NE(outcome.output.find(c.part), std::string::npos) << outcome.output;
    }
}

TEST_F(TarvixRun, TraceShowsEachLineWithTheRegistersAfterIt) {
    const Outcome outcome =
        runTool(TARVIX_RUN, "--trace " + source("t.asm", "mov ax,1234\nxchg ax,bx\nhlt\n"));
    EXPECT_NE(outcome.output.find("    1  mov ax,1234                  AX=1234 BX=0000"),
              std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("    2  xchg ax,bx                   AX=0000 BX=1234"),
              std::string::npos)
        << outcome.output;
}

}  // namespace
