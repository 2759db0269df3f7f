// The headless panels' blanking timers: a deselected 8255 digit goes dark 150 ms of the
// injected clock later, unless it was selected again meanwhile.
#include <gtest/gtest.h>

#include "devices/ppi8255.h"
#include "tests/devices/device_fakes.h"
#include "tests/simulator/fake_clock.h"

namespace tarvix {
namespace {

class BlankTimers : public ::testing::Test {
protected:
    BlankTimers() {
        clock.ticksPerSecond = 1000;  // a tick a millisecond
        panels.setVisible(Panel::Led8255, true);
        ppi.reset();
        ppi.write(Ppi8255::kControlPort, 0x80);
        ppi.write(Ppi8255::kPortB, 0xFE);  // the rightmost digit
        ppi.write(Ppi8255::kPortA, 0x06);
    }
    void after(std::int64_t milliseconds) {
        clock.ticks += milliseconds;
        panels.expireBlankTimers(ppi);
    }
    std::uint8_t rightmost() const { return panels.led8255()[7]; }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    LoggingPanels panels{clock};
    Ppi8255 ppi{pane, panels};
};

TEST_F(BlankTimers, ADeselectedDigitGoesDarkAfter150Milliseconds) {
    ppi.write(Ppi8255::kPortB, 0xFF);
    EXPECT_TRUE(panels.blankTimerArmed(7));
    after(149);
    EXPECT_EQ(rightmost(), 0x06);
    after(1);
    EXPECT_EQ(rightmost(), 0x00);
    EXPECT_FALSE(panels.blankTimerArmed(7)) << "one-shot";
}

TEST_F(BlankTimers, SelectingAgainInTimeKeepsItLit) {
    ppi.write(Ppi8255::kPortB, 0xFF);
    after(100);
    ppi.write(Ppi8255::kPortB, 0xFE);
    after(100);
    EXPECT_EQ(rightmost(), 0x06);
    EXPECT_FALSE(panels.blankTimerArmed(7));
}

TEST_F(BlankTimers, ADeselectionRestartsTheTimer) {
    ppi.write(Ppi8255::kPortB, 0xFF);
    after(100);
    ppi.write(Ppi8255::kPortB, 0xFE);
    ppi.write(Ppi8255::kPortB, 0xFF);
    after(100);
    EXPECT_EQ(rightmost(), 0x06);
    after(50);
    EXPECT_EQ(rightmost(), 0x00);
}

TEST_F(BlankTimers, AHiddenPanelLeavesItsTimersArmed) {
    ppi.write(Ppi8255::kPortB, 0xFF);
    panels.setVisible(Panel::Led8255, false);
    after(500);
    EXPECT_EQ(rightmost(), 0x06);
    EXPECT_TRUE(panels.blankTimerArmed(7));
    panels.setVisible(Panel::Led8255, true);
    after(0);
    EXPECT_EQ(rightmost(), 0x00);
}

TEST_F(BlankTimers, PortBTurnedInputLeavesTheDigitAndSaysWhy) {
    ppi.write(Ppi8255::kPortB, 0xFF);
    ppi.write(Ppi8255::kControlPort, 0x82);
    after(150);
    EXPECT_EQ(rightmost(), 0x06);
    EXPECT_EQ(sink.text, "Error: 8255 port -not in output mode");
}

TEST_F(BlankTimers, MillisecondsWithoutACounter) {
    clock.ticksPerSecond = 0;
    ppi.write(Ppi8255::kPortB, 0xFF);
    clock.millis += 149;
    panels.expireBlankTimers(ppi);
    EXPECT_EQ(rightmost(), 0x06);
    clock.millis += 1;
    panels.expireBlankTimers(ppi);
    EXPECT_EQ(rightmost(), 0x00);
}

// Every digit: a multiplexed display keeps only what is refreshed.
TEST_F(BlankTimers, OnlyTheDigitsStillDeselectedGoDark) {
    ppi.write(Ppi8255::kPortB, 0x00);  // all selected: every digit shows 06
    ppi.write(Ppi8255::kPortB, 0x0F);  // the right four deselected
    after(150);
    const std::array<std::uint8_t, 8> expected = {6, 6, 6, 6, 0, 0, 0, 0};
    EXPECT_EQ(panels.led8255(), expected);
}

}  // namespace
}  // namespace tarvix
