// The headless run the browser's report makes: its terminal collects what the 8251 sends
// without a socket, and the report must be the one tarvix-run makes through its receiver.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/headless_run.h"
#include "tests/scratch_folder.h"

namespace {

using namespace tarvix;

std::string report(const std::string& path, BatchTerminal terminal) {
    RunRequest request;
    request.path = path;
    request.terminal = terminal;
    request.maxSteps = 200000;
    request.keys = "Kit 8086";
    const RunReport run = runHeadless(request);
    EXPECT_EQ(run.refusal, "");
    EXPECT_EQ(run.terminalProblem, "");
    return reportJson(run, AddressRange{std::uint16_t{0x1000}, std::uint16_t{0x1FFF}});
}

TEST(CollectingTerminal, ReportsAsTheSocketReceiver) {
    const std::filesystem::path examples = std::filesystem::path(TARVIX_SOURCE_DIR) / "examples";
    for (const char* name : {"hello.asm", "key_echo.asm", "leds.asm", "sum.asm"}) {
        SCOPED_TRACE(name);
        ScratchFolder folder;
        const std::string path = (folder.path() / name).string();
        writeFile(path, readFile(examples / name));
        EXPECT_EQ(report(path, BatchTerminal::Collecting), report(path, BatchTerminal::Socket));
    }
}

}  // namespace
