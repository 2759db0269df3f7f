// The Delay Procedure's routine lasts on the kit what its comment says: a program that calls it
// once and halts runs for the delay, within the stated error and the CALL and RET around it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/cli/run_tool.h"
#include "tools/delay_routine.h"

namespace {

std::uint64_t kitMicroseconds(const std::string& report) {
    const std::string key = "\"kitMicroseconds\": ";
    const std::size_t at = report.find(key);
    return at == std::string::npos ? 0 : std::stoull(report.substr(at + key.size()));
}

using DelayRoutineTiming = ToolTest;

TEST_F(DelayRoutineTiming, OneSecondLastsASecondOfKitTime) {
    constexpr std::uint64_t kDelayMs = 1000;
    constexpr std::uint64_t kCallAndRetClocks = 19 + 8;
    for (const std::uint64_t mhz : {5u, 10u}) {
        SCOPED_TRACE(std::to_string(mhz) + " MHz");
        const auto routine = tarvix::makeDelayRoutine(kDelayMs, mhz);
        ASSERT_TRUE(routine);
        const std::string program = source("delay.asm", "call Delay\r\nhlt\r\n" + routine->text);
        const Outcome outcome =
            runTool(TARVIX_RUN, "--json --clock " + std::to_string(mhz) + " " + program);
        ASSERT_EQ(outcome.output.rfind("{\"status\": \"halted\"", 0), 0u) << outcome.output;
        const std::uint64_t took = kitMicroseconds(outcome.output);
        const std::uint64_t wanted = kDelayMs * 1000;
        const std::uint64_t off = took > wanted ? took - wanted : wanted - took;
        EXPECT_LE(off, routine->errorMicroseconds + kCallAndRetClocks / mhz + 1)
            << took << " us for a stated error of " << routine->errorMicroseconds;
    }
}

}  // namespace
