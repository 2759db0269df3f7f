// The 8255 through its ports: the control word, the order of the checks, port C halves, the
// active-low digit select with its blanking timers, and the device that port A drives.
#include "devices/ppi8255.h"

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using Ppi8255Test = KitFixture;

TEST_F(Ppi8255Test, PortScripts) {
    const std::string mode = "!8255 - Only mode 0 is supported";
    const std::string none = "!No peripheral device connected";
    const std::string notOut = "!8255 port -not in output mode";
    const std::string notIn = "!8255 port -not in input mode";
    const struct {
        const char* script;
        std::string transcript;
        const char* log = "";  // the panels' log after the connect statements
    } cases[] = {
        // Mode 0 only; a refused word is kept, so every later access is refused too.
        {"+led55 26=80 26=9B 26=89 26=92 ?20", "00"},
        {"+led55 26=A0 20=3F ?20", mode + " " + mode + " " + mode},
        {"+led55 26=C0 26=84 26=00 26=0F", mode + " " + mode + " " + mode + " " + mode},
        // A write asks for a device before the direction, a read the other way round.
        {"26=9B 20=55 ?20", none + " " + none},
        {"+led55 26=9B 20=55", notOut},
        {"26=80 22=55 ?20", none + " " + notIn},
        {"+scope 26=90 20=55 22=55 26=82 22=55", notOut + " " + notOut, "dac=00"},
        // Either half of C will do for a direction; an input half keeps its latch.
        {"+scope 26=81 24=55 26=88 24=55 26=89 24=55", notOut, "dac=00 dac=00"},
        {"+led55 26=80 24=AB 26=9B ?24 26=81 24=CD ?24 26=88 24=EF ?24", "AB CB CF"},
        {"+led55 26=80 ?24 26=92 ?24", notIn + " " + notIn},
        {"+led55 26=80 20=5A 26=99 ?20 ?22", "5A " + notIn},
        {"+led55 ?22", "FF"},  // every digit deselected after a reset
        // Bit 7 of B selects the leftmost digit; a digit follows every write while selected.
        {"+led55 26=80 22=FE 20=3F", "", "d7=00 d7=3F"},
        {"+led55 26=80 22=7F 20=06 24=00", "", "d0=00 d0=06 d0=06"},
        {"+led55 26=80 22=BD", "", "d1=00 d6=00"},
        {"+stepper 26=80 22=00 20=F3", "", "coils=00 coils=F3"},
        {"+scope 26=80 20=80", "", "dac=80"},
        // Deselecting arms the digit's blanking timer; selecting arms nothing.
        {"+led55 26=80 22=FE 22=FF 22=7F 22=FF", "", "d7=00 arm7 d0=00 arm0"},
        {"+led55 26=80 22=F0 22=F0 22=FF", "",
         "d4=00 d5=00 d6=00 d7=00 d4=00 d5=00 d6=00 d7=00 "
         "arm7 arm6 arm5 arm4"},
        {"+stepper 26=80 22=00 22=FF", "", "coils=00 coils=00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        resetDevices();
        EXPECT_EQ(ports(c.script), c.transcript);
        EXPECT_EQ(panels.log, c.log);
    }
}

TEST_F(Ppi8255Test, ResetDarkensTheDisplayAndTheDacWhetherShownOrNot) {
    resetDevices();
    panels.log.clear();
    kit.devices.ppi.reset();
    EXPECT_EQ(panels.log, "dac=00 d0=00 d1=00 d2=00 d3=00 d4=00 d5=00 d6=00 d7=00");
    EXPECT_EQ(kit.devices.ppi.control(), Ppi8255::kResetControl);
}

TEST_F(Ppi8255Test, OutputLatchNeedsOnlyAnOutputPort) {
    resetDevices();
    Ppi8255& ppi = kit.devices.ppi;
    ppi.write(Ppi8255::kControlPort, 0xA0);  // refused mode, but A, B and C outputs
    std::uint8_t value = 0;
    EXPECT_TRUE(ppi.readOutputLatch(Ppi8255::kPortB, value));
    EXPECT_EQ(value, 0xFF) << "as the reset left it";
    ppi.write(Ppi8255::kControlPort, 0x82);  // B input
    pane.clearStatus();
    EXPECT_FALSE(ppi.readOutputLatch(Ppi8255::kPortB, value));
    EXPECT_TRUE(sink.text.ends_with("Error: 8255 port -not in output mode")) << sink.text;
}

}  // namespace
}  // namespace tarvix
