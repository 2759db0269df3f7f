// tarvix-asm as a teacher's script uses it: exit status, messages and the files it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/cli/run_tool.h"

namespace {

namespace fs = std::filesystem;

using TarvixAsm = ToolTest;

TEST_F(TarvixAsm, ExitStatusAndMessages) {
    struct Case {
        std::string arguments;
        int status;
        std::string output;
    };
    std::string large;
    for (int i = 0; i <= 10000; ++i) {
        large += "nop\n";
    }
    const Case cases[] = {
        {"--encode 'add wptr [bx],80'", 0, "81 07 80 00\n"},
        {"--encode 'inc [bx]'", 1,
         "Line 1 Error: Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly\n"},
        {source("ok.asm", "nop\nhlt\n"), 0, ""},
        {"--listing " + source("ok2.asm", "nop\n"), 0, ""},
        {source("dup.asm", "a: nop\n\na: nop\n"), 1, "Line 3 Error: Duplicate symbol found\n"},
        {source("big.asm", large), 1, "Error: Large file\n"},
        {"'" + (folder / "missing.asm").string() + "'", 2, ""},
        {"", 2, ""},
        {"--bogus x.asm", 2, ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = runTool(TARVIX_ASM, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments << "\n" << outcome.output;
        if (c.status != 2) {
            EXPECT_EQ(outcome.output, c.output) << c.arguments;
        } else {
            EXPECT_FALSE(outcome.output.empty()) << c.arguments << ": a refusal says why";
        }
    }
    EXPECT_TRUE(fs::exists(folder / "ok.lst"));
    EXPECT_TRUE(fs::exists(folder / "ok2.lst"));
    EXPECT_FALSE(fs::exists(folder / "dup.lst")) << "a failed assembly writes no list file";
}

TEST(CommandLineHelp, BothToolsPrintTheirUsageAndSucceed) {
    for (const auto& [tool, usage] : {std::pair{TARVIX_ASM, "usage: tarvix-asm "},
                                      std::pair{TARVIX_RUN, "usage: tarvix-run "}}) {
        const Outcome outcome = runTool(tool, "--help");
        EXPECT_EQ(outcome.status, 0) << tool;
        EXPECT_EQ(outcome.output.rfind(usage, 0), 0u) << outcome.output;
    }
}

}  // namespace
