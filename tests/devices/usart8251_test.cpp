// The 8251: the mode/command state machine, what data needs before it goes out, the 1041 µs
// pacing on the injected clock (with and without a high-resolution counter), and the status.
#include "devices/usart8251.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/devices/device_fakes.h"
#include "tests/simulator/fake_clock.h"

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

TEST(Usart8251, PacingOnTheCounter) {
    Bench bench;
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    EXPECT_EQ(bench.usart.readStatus(), 0x85);
    ASSERT_TRUE(bench.usart.writeData('H'));
    EXPECT_EQ(bench.usart.readStatus(), 0x84);
    ASSERT_TRUE(bench.usart.writeData('X')) << "a character too early is lost, not an error";
    bench.clock.ticks += 1041;
    EXPECT_EQ(bench.usart.readStatus(), 0x84) << "more than 1041 µs, not exactly";
    bench.clock.ticks += 1;
    EXPECT_EQ(bench.usart.readStatus(), 0x85);
    ASSERT_TRUE(bench.usart.writeData('I'));
    EXPECT_EQ(bench.terminal.received, "HI");
}

TEST(Usart8251, PacingOnACounterOfAnotherFrequency) {
    Bench bench;
    bench.clock.ticksPerSecond = 500'000;  // 520.5 ticks a character
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    ASSERT_TRUE(bench.usart.writeData('A'));
    bench.clock.ticks += 520;
    EXPECT_EQ(bench.usart.readStatus(), 0x84);
    bench.clock.ticks += 1;
    EXPECT_EQ(bench.usart.readStatus(), 0x85);
}

// A clock that starts at 0 must not make the first character look like none.
TEST(Usart8251, ACharacterSentAtTimeZeroStillHoldsTheLine) {
    Bench bench;
    bench.clock.ticks = 0;
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    ASSERT_TRUE(bench.usart.writeData('A'));
    ASSERT_TRUE(bench.usart.writeData('B'));
    EXPECT_EQ(bench.terminal.received, "A");
    EXPECT_EQ(bench.usart.readStatus(), 0x84);
}

TEST(Usart8251, PacingOnMillisecondsWithoutACounter) {
    Bench bench;
    bench.clock.ticksPerSecond = 0;
    bench.clock.millis = 100;
    ASSERT_TRUE(bench.control({0xCA, 0x11}));
    ASSERT_TRUE(bench.usart.writeData('A'));
    ASSERT_TRUE(bench.usart.writeData('B'));
    EXPECT_EQ(bench.usart.readStatus(), 0x84);
    bench.clock.millis = 101;
    EXPECT_EQ(bench.usart.readStatus(), 0x85);
    ASSERT_TRUE(bench.usart.writeData('C'));
    EXPECT_EQ(bench.terminal.received, "AC");
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
