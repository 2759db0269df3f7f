// The 8251 through its ports: the mode/command state machine, what data needs before it goes
// out, the status, and the 1041 µs a character holds the line, on the counter or, without one,
// to the next millisecond.
#include "devices/usart8251.h"

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using Usart8251Test = KitFixture;

TEST_F(Usart8251Test, PortScripts) {
    const std::string mode = "!Set mode word to 'CA'";
    const std::string command = "!Set command word to '11'(Tx Enable) or '40'(Reset) ";
    const std::string first = "!Please set mode/command word first";
    const struct {
        std::int64_t ticksPerSecond;  // 0: no counter, milliseconds only
        const char* script;
        std::string transcript;
        const char* received;
    } cases[] = {
        {1'000'000, "61=CA 60=41", first, ""},
        {1'000'000, "61=4E 61=11 60=41", mode + " " + mode + " " + first, ""},
        {1'000'000, "61=CA 61=37 60=41", command + " " + first, ""},
        {1'000'000, "61=CA 61=11 61=37 60=41", command, "A"},  // the old command stands
        {1'000'000, "61=CA 61=11 61=00 60=41", first, ""},     // 00H blocks sending again
        {1'000'000, "61=CA 61=11 61=40 61=11 60=41", mode + " " + first, ""},  // internal reset
        // The customary software reset; a 00H mode word alone is no mode for sending.
        {1'000'000, "61=00 61=00 61=00 61=40 61=CA 61=11 60=41", "", "A"},
        {1'000'000, "61=00 61=11 60=41", first, ""},
        // A character sent while the line is busy is lost, not an error.
        {1'000'000, "61=CA 61=11 ?61 60=41 60=42 ?61 ~1041 ?61 ~1 ?61 60=43", "85 84 84 85", "AC"},
        {500'000, "61=CA 61=11 60=41 ~520 ?61 ~1 ?61", "84 85", "A"},
        {0, "61=CA 61=11 60=41 60=42 ?61 ~1 ?61 60=43", "84 85", "AC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        resetDevices();
        terminal.received.clear();
        clock.ticksPerSecond = c.ticksPerSecond;
        EXPECT_EQ(ports(c.script), c.transcript);
        EXPECT_EQ(terminal.received, c.received);
    }
}

TEST_F(Usart8251Test, NoTerminalNoCharacter) {
    terminal.there = false;
    EXPECT_EQ(ports("61=CA 61=11 60=41 ?61"), "!Terminal program not running 85");
}

// A clock that starts at 0 must not make the first character look like none.
TEST_F(Usart8251Test, ACharacterSentAtTimeZeroHoldsTheLine) {
    clock.ticksPerSecond = 1'000'000;
    EXPECT_EQ(ports("61=CA 61=11 60=41 60=42 ?61"), "84");
    EXPECT_EQ(terminal.received, "A");
}

TEST_F(Usart8251Test, LaunchingTheTerminalShowsThePorts) {
    pane.showStatus("Simulating...");
    kit.devices.usart.launchTerminal();
    EXPECT_EQ(launcher.launches, 1);
    EXPECT_EQ(sink.text, "8251 Ports: Data= 60H, Ctrl= 61H");
}

}  // namespace
}  // namespace tarvix
