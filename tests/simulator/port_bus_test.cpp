// The port map and its IN/OUT executor, and the connect statement.
#include "simulator/port_bus.h"

#include <algorithm>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using PortBusTest = KitFixture;

constexpr const char* kFormat = "Error in instruction format";
constexpr const char* kPort = "Port number not supported.";
constexpr const char* kNoDevice = "No Device connected";

TEST_F(PortBusTest, Operands) {
    const ExecutorCase cases[] = {
        {"out 20,AX", "", false, "Use AL", ""},
        {"out 26,al", "", true, "", ""},
        {"out DX,AL", "DX=26", true, "", ""},
        {"out 0026,al", "", true, "", ""},
        {"out 26H,AL", "", false, kFormat, ""},
        {"out [DX],AL", "DX=26", false, kFormat, ""},
        {"out ,AL", "", false, kFormat, ""},
        {"out 120,AL", "", false, kPort, ""},
        {"out DX,AL", "DX=126", false, kPort, ""},
        // Past FFFFH the number wraps, as the assembler encodes it: 10026 is port 26H.
        {"out 10026,AL", "", true, "", ""},
        {"in AL,10050", "", true, "", "AX=71"},
        // Each port only the way its chip has it.
        {"out 50,AL", "", false, kPort, ""},
        {"in AL,26", "", false, kPort, ""},
        {"in AL,60", "", false, kPort, ""},
        // The 8279 and the speaker need their panels; the 8255 and 8251 check for themselves.
        {"out 30,AL", "", false, kNoDevice, ""},
        {"out 42,AL", "", false, kNoDevice, ""},
        {"out 61,AL", "AX=80", false, "Set mode word to 'CA'", ""},
        {"out 24,AL", "", false, "No peripheral device connected", ""},
        {"in AL,20", "AX=77", false, "8255 port -not in input mode", "AX=77"},  // AL as it was
        {"in al,DX", "DX=61", true, "", "AX=85"},
        {"in AL,50", "", true, "", "AX=71"},  // the last key, which reading does not consume
    };
    kit.lastKey = 'q';
    runAll(cases, "AX=80");
}

TEST_F(PortBusTest, ConnectShowsOneDeviceOnPortA) {
    const struct {
        const char* script;
        std::vector<Panel> shown;  // every other panel hidden
    } cases[] = {
        {"+scope", {Panel::Scope}},
        {"+scope +stepper", {Panel::Stepper}},
        {"+stepper +LED55", {Panel::Led8255}},
        {"+led55 +Scope", {Panel::Scope}},
        {"+led55 +LED79", {Panel::Led8255, Panel::Led8279}},
        {"+led79 +speaker +stepper", {Panel::Stepper, Panel::Led8279, Panel::Speaker}},
        {"+speaker +scope +led55", {Panel::Led8255, Panel::Speaker}},
        {"+HwTimer +printer", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        resetDevices();
        ports(c.script);
        for (int p = 0; p < kPanelCount; ++p) {
            const auto panel = static_cast<Panel>(p);
            EXPECT_EQ(panels.isVisible(panel),
                      std::find(c.shown.begin(), c.shown.end(), panel) != c.shown.end())
                << p;
        }
    }
}

// Whole programs: connect statements take effect where the run reaches them, an unknown
// device lets the run go on, and a port error stops it on its line.
TEST_F(PortBusTest, Programs) {
    run("connect led79\nmov al,08\nout 31,al\nmov al,90\nout 31,al\nmov al,6d\nout 30,al\nhlt\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Halted) << sink.text;
    EXPECT_EQ(panels.led8279()[0], 0x6D);

    run("connect printer\nmov ax,1234\nhlt\n");
    EXPECT_EQ(sink.text, "Line 1 Error: select scope/stepper/speaker/led79/led55/terminal/hwtimer");
    EXPECT_EQ(kit.cpu.regs[Reg16::AX], 0x1234) << "the run went on";

    run("connect hwtimer\nconnect terminal\nmov al,80\nout 26,al\nmov al,ff\nout 20,al\nhlt\n");
    EXPECT_EQ(sink.text, "Line 6 Error: No peripheral device connected");
    EXPECT_TRUE(kit.hwTimerEnabled);
    EXPECT_EQ(launcher.launches, 1);
}

}  // namespace
}  // namespace tarvix
