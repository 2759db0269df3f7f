// The 8251: the mode/command state machine, what data needs before it goes out, the 1041 µs
// pacing on the injected clock (with and without a high-resolution counter), and the status.
#include "devices/usart8251.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/kit_fakes.h"

namespace tarvix {
namespace {

constexpr const char* kModeMessage = "Error: Set mode word to 'CA'";
constexpr const char* kCommandMessage =
    "Error: Set command word to '11'(Tx Enable) or '40'(Reset) ";
constexpr const char* kFirst = "Error: Please set mode/command word first";

struct Bench {
    Bench() {
        clock.ticksPerSecond = 1'000'000;  // one tick a microsecond
        clock.ticks = 5000;
    }
    bool control(const std::vector<std::uint8_t>& bytes) {
        for (const std::uint8_t byte : bytes) {
            if (!usart.writeControl(byte)) {
                return false;
            }
        }
        return true;
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    FakeTerminal terminal;
    CountingLauncher launcher;
    Usart8251 usart{pane, terminal, launcher, clock};
};

TEST(Usart8251, ControlWordTable) {
    struct Case {
        std::vector<std::uint8_t> accepted;  // written first, all accepted
        std::uint8_t last;
        const char* message;  // for the last byte; nullptr: accepted
        bool canSend;         // afterwards
    };
    const Case cases[] = {
        {{}, 0xCA, nullptr, false},
        {{}, 0x4E, kModeMessage, false},
        {{}, 0x11, kModeMessage, false},
        {{0xCA}, 0x11, nullptr, true},
        {{0xCA}, 0x37, kCommandMessage, false},
        {{0xCA, 0x11}, 0x37, kCommandMessage, true},  // the old command stands
        {{0xCA, 0x11}, 0x00, nullptr, false},         // 00H command blocks sending again
        {{0xCA, 0x11}, 0x40, nullptr, false},         // internal reset
        {{0xCA, 0x11, 0x40}, 0x11, kModeMessage, false},
        {{0x00, 0x00, 0x00, 0x40, 0xCA}, 0x11, nullptr, true},  // the software reset sequence
        {{0x00}, 0x11, nullptr, false},  // a 00H mode word is no mode for sending
    };
    for (const Case& c : cases) {
        Bench bench;
        ASSERT_TRUE(bench.control(c.accepted));
        EXPECT_EQ(bench.usart.writeControl(c.last), c.message == nullptr) << int{c.last};
        EXPECT_EQ(bench.sink.text, c.message ? c.message : "") << int{c.last};
        bench.pane.clearStatus();
        EXPECT_EQ(bench.usart.writeData('A'), c.canSend) << int{c.last};
        EXPECT_EQ(bench.sink.text, c.canSend ? "" : kFirst) << int{c.last};
        EXPECT_EQ(bench.terminal.received, c.canSend ? "A" : "");
    }
}

TEST(Usart8251, NoTerminalNoCharacter) {
    Bench bench;
    bench.terminal.there = false;
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    EXPECT_FALSE(bench.usart.writeData('A'));
    EXPECT_EQ(bench.sink.text, "Error: Terminal program not running");
    EXPECT_EQ(bench.usart.readStatus(), 0x85) << "nothing went out, so the line is free";
}

// A character holds the line for more than 1041 µs of the counter, or until the next
// millisecond without one; a character sent meanwhile is lost, not an error.
TEST(Usart8251, Pacing) {
    const struct {
        std::int64_t ticksPerSecond;  // 0: no counter
        std::int64_t start;    // a clock at 0 must not make the first character look like none
        std::int64_t busyFor;  // after the first character, in ticks or milliseconds
    } cases[] = {{1'000'000, 5000, 1041}, {500'000, 5000, 520}, {1'000'000, 0, 1041}, {0, 100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticksPerSecond);
        Bench bench;
        bench.clock.ticksPerSecond = c.ticksPerSecond;
        const auto wait = [&](std::int64_t n) {
            if (c.ticksPerSecond > 0) {
                bench.clock.ticks += n;
            } else {
                bench.clock.millis += static_cast<std::uint64_t>(n);
            }
        };
        bench.clock.ticks = 0;
        wait(c.start);
        ASSERT_TRUE(bench.control({0xCA, 0x11}));
        EXPECT_EQ(bench.usart.readStatus(), 0x85);
        ASSERT_TRUE(bench.usart.writeData('A'));
        ASSERT_TRUE(bench.usart.writeData('B'));
        wait(c.busyFor);
        EXPECT_EQ(bench.usart.readStatus(), 0x84);
        wait(1);
        EXPECT_EQ(bench.usart.readStatus(), 0x85);
        ASSERT_TRUE(bench.usart.writeData('C'));
        EXPECT_EQ(bench.terminal.received, "AC");
    }
}

TEST(Usart8251, ResetFreesTheLineAndForgetsTheWords) {
    Bench bench;
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    ASSERT_TRUE(bench.usart.writeData('A'));
    bench.usart.reset();
    EXPECT_EQ(bench.usart.readStatus(), 0x85);
    EXPECT_TRUE(bench.usart.expectsMode());
    EXPECT_FALSE(bench.usart.writeData('B'));
    EXPECT_EQ(bench.sink.text, kFirst);
}

TEST(Usart8251, LaunchingTheTerminalShowsThePorts) {
    Bench bench;
    bench.pane.showStatus("Simulating...");
    bench.usart.launchTerminal();
    EXPECT_EQ(bench.launcher.launches, 1);
    EXPECT_EQ(bench.sink.text, "8251 Ports: Data= 60H, Ctrl= 61H");
}

}  // namespace
}  // namespace tarvix
