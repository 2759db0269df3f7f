// The port map and its IN/OUT executor, and the connect statement, on a kit with fake panels.
#include "devices/port_bus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/devices/device_kit_fixture.h"

namespace tarvix {
namespace {

class PortBusTest : public DeviceKitFixture {
protected:
    // Direct calls name no line; the programs below do.
    PortBusTest() { sink.lineSource = nullptr; }

    // One IN or OUT on a fresh pane, with AL and DX as given.
    bool execute(const char* mnemonic, const char* dest, const char* source, std::uint8_t al = 0,
                 std::uint16_t dx = 0) {
        pane.clearStatus();
        kit.cpu.regs.AL = al;
        kit.cpu.regs.setWord(2, dx);
        return kit.ports.execInOut(std::string(mnemonic) == "in", dest, source);
    }
};

TEST_F(PortBusTest, OperandTable) {
    struct Case {
        const char* mnemonic;
        const char* dest;
        const char* source;
        std::uint16_t dx;
        const char* message;  // nullptr: succeeds
    };
    const Case cases[] = {
        {"out", "20", "AX", 0, "Error: Use AL"},
        {"in", "AX", "20", 0, "Error: Use AL"},
        {"out", "dx", "ax", 0, "Error: Use AL"},
        {"out", "26", "al", 0, nullptr},
        {"out", "26", "AL", 0, nullptr},
        {"out", "DX", "AL", 0x26, nullptr},
        {"out", "dx", "al", 0x26, nullptr},
        {"out", "0026", "al", 0, nullptr},
        {"out", "26H", "AL", 0, "Error: Error in instruction format"},
        {"out", "[DX]", "AL", 0x26, "Error: Error in instruction format"},
        {"out", "0x26", "AL", 0, "Error: Error in instruction format"},
        {"out", "", "AL", 0, "Error: Error in instruction format"},
        {"in", "AL", "26H", 0, "Error: Error in instruction format"},
        {"out", "120", "AL", 0, "Error: Port number not supported."},
        {"out", "DX", "AL", 0x0126, "Error: Port number not supported."},
        // Past FFFFH the number wraps, as the assembler encodes it: 10026 is port 26H.
        {"out", "10026", "AL", 0, nullptr},
        {"in", "AL", "10050", 0, nullptr},
        {"out", "50", "AL", 0, "Error: Port number not supported."},
        {"in", "AL", "26", 0, "Error: Port number not supported."},
        {"in", "AL", "30", 0, "Error: Port number not supported."},
        {"in", "AL", "31", 0, "Error: Port number not supported."},
        {"in", "AL", "42", 0, "Error: Port number not supported."},
        {"in", "AL", "43", 0, "Error: Port number not supported."},
        {"in", "AL", "60", 0, "Error: Port number not supported."},
        {"in", "AL", "21", 0, "Error: Port number not supported."},
        {"out", "30", "AL", 0, "Error: No Device connected"},
        {"out", "31", "AL", 0, "Error: No Device connected"},
        {"out", "42", "AL", 0, "Error: No Device connected"},
        {"out", "43", "AL", 0, "Error: No Device connected"},
        {"in", "AL", "50", 0, nullptr},
        {"in", "al", "DX", 0x61, nullptr},
        {"out", "61", "AL", 0, "Error: Set mode word to 'CA'"},           // the 8251's own check
        {"out", "24", "AL", 0, "Error: No peripheral device connected"},  // the 8255's own
    };
    for (const Case& c : cases) {
        EXPECT_EQ(execute(c.mnemonic, c.dest, c.source, 0x80, c.dx), c.message == nullptr)
            << c.mnemonic << " " << c.dest << "," << c.source;
        EXPECT_EQ(sink.text, c.message ? c.message : "")
            << c.mnemonic << " " << c.dest << "," << c.source;
    }
}

TEST_F(PortBusTest, InputsReachAl) {
    kit.lastKey = 'q';
    ASSERT_TRUE(execute("in", "AL", "50"));
    EXPECT_EQ(kit.cpu.regs.AL, 'q');
    ASSERT_TRUE(execute("in", "AL", "50"));
    EXPECT_EQ(kit.cpu.regs.AL, 'q') << "reading the key does not consume it";

    ASSERT_TRUE(execute("in", "AL", "61"));
    EXPECT_EQ(kit.cpu.regs.AL, 0x85);

    panels.setVisible(Panel::Led8255, true);
    kit.devices.ppi.reset();
    ASSERT_TRUE(execute("out", "26", "AL", 0x80));
    ASSERT_TRUE(execute("out", "22", "AL", 0xA5));
    ASSERT_TRUE(execute("out", "26", "AL", 0x82));  // B input
    ASSERT_TRUE(execute("in", "AL", "22", 0));
    EXPECT_EQ(kit.cpu.regs.AL, 0xA5);
    EXPECT_FALSE(execute("in", "AL", "20", 0x77));
    EXPECT_EQ(kit.cpu.regs.AL, 0x77) << "a failed read leaves AL alone";
}

TEST_F(PortBusTest, OutputsReachTheirChips) {
    kit.ports.connect("led79");
    kit.ports.connect("speaker");
    ASSERT_TRUE(execute("out", "31", "AL", 0x08));
    ASSERT_TRUE(execute("out", "31", "AL", 0x90));
    ASSERT_TRUE(execute("out", "30", "AL", 0x3F));
    EXPECT_EQ(panels.led8279()[0], 0x3F);
    ASSERT_TRUE(execute("out", "43", "AL", 0xB6));
    ASSERT_TRUE(execute("out", "DX", "AL", 0xA9, 0x42));
    ASSERT_TRUE(execute("out", "42", "AL", 0x04));
    EXPECT_EQ(sound.frequency, 1000);
    ASSERT_TRUE(execute("out", "61", "AL", 0xCA));
    ASSERT_TRUE(execute("out", "61", "AL", 0x11));
    ASSERT_TRUE(execute("out", "60", "AL", 'K'));
    EXPECT_EQ(terminal.received, "K");
}

TEST_F(PortBusTest, ConnectTable) {
    struct Case {
        std::vector<const char*> names;
        std::vector<Panel> shown;  // afterwards; every other panel hidden
    };
    const Case cases[] = {
        {{"scope"}, {Panel::Scope}},
        {{"scope", "stepper"}, {Panel::Stepper}},
        {{"stepper", "LED55"}, {Panel::Led8255}},
        {{"led55", "Scope"}, {Panel::Scope}},
        {{"led55", "LED79"}, {Panel::Led8255, Panel::Led8279}},
        {{"led79", "speaker", "stepper"}, {Panel::Stepper, Panel::Led8279, Panel::Speaker}},
        {{"speaker", "scope", "led55"}, {Panel::Led8255, Panel::Speaker}},
    };
    for (const Case& c : cases) {
        for (int p = 0; p < kPanelCount; ++p) {
            panels.setVisible(static_cast<Panel>(p), false);
        }
        for (const char* name : c.names) {
            kit.ports.connect(name);
        }
        for (int p = 0; p < kPanelCount; ++p) {
            const auto panel = static_cast<Panel>(p);
            const bool expected = std::find(c.shown.begin(), c.shown.end(), panel) != c.shown.end();
            EXPECT_EQ(visible(panel), expected) << c.names.back() << " panel " << p;
        }
    }
}

TEST_F(PortBusTest, ConnectTheTimerTheTerminalAndNothing) {
    kit.ports.connect("HwTimer");
    EXPECT_TRUE(kit.hwTimerEnabled);
    kit.ports.connect("terminal");
    EXPECT_EQ(launcher.launches, 1);
    EXPECT_EQ(sink.text, "8251 Ports: Data= 60H, Ctrl= 61H");
    kit.ports.connect("printer");
    EXPECT_EQ(sink.text, "Error: select scope/stepper/speaker/led79/led55/terminal/hwtimer");
    for (int p = 0; p < kPanelCount; ++p) {
        EXPECT_FALSE(visible(static_cast<Panel>(p)));
    }
}

// Whole programs: connect statements take effect where the run reaches them, an unknown
// device lets the run go on, and a port error stops it on its line.
TEST_F(PortBusTest, ProgramsThroughTheDispatcher) {
    sink.lineSource = &kit.currentLine;
    run("out 30,al\nhlt\n");
    EXPECT_EQ(sink.text, "Line 1 Error: No Device connected");

    run("connect led79\nmov al,08\nout 31,al\nmov al,90\nout 31,al\nmov al,6d\nout 30,al\nhlt\n");
    EXPECT_EQ(driver.lastEnding(), RunEnding::Halted) << sink.text;
    EXPECT_EQ(panels.led8279()[0], 0x6D);

    run("connect printer\nmov ax,1234\nhlt\n");
    EXPECT_EQ(sink.text, "Line 1 Error: select scope/stepper/speaker/led79/led55/terminal/hwtimer");
    EXPECT_EQ(kit.cpu.regs.word(0), 0x1234) << "the run went on";

    run("mov al,80\nout 26,al\nmov al,ff\nout 20,al\nhlt\n");
    EXPECT_EQ(sink.text, "Line 4 Error: No peripheral device connected");
}

}  // namespace
}  // namespace tarvix
