// Both tools as a hostile user or a batch of student files meets them: the same lines for
// the same file, files left whole, limits that hold, reports that parse.
#include <gtest/gtest.h>

#include <string>

#include "tests/cli/run_tool.h"

namespace {

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

}  // namespace
