// The 8255: control word rules, the order of the checks, port C halves, the active-low digit
// select with its blanking timers, the device that port A drives, and reset.
#include "devices/ppi8255.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/devices/device_fakes.h"
#include "tests/simulator/fake_clock.h"

namespace tarvix {
namespace {

constexpr const char* kOnlyMode0 = "Error: 8255 - Only mode 0 is supported";
constexpr const char* kNoDevice = "Error: No peripheral device connected";
constexpr const char* kNotOutput = "Error: 8255 port -not in output mode";
constexpr const char* kNotInput = "Error: 8255 port -not in input mode";

struct Bench {
    // Reset first, as every run does.
    explicit Bench(std::initializer_list<Panel> shown = {}) {
        for (const Panel panel : shown) {
            panels.setVisible(panel, true);
        }
        ppi.reset();
        panels.log.clear();
    }
    // A port write on a fresh pane; the pane's text tells what went wrong.
    bool write(std::uint16_t port, std::uint8_t value) {
        pane.clearStatus();
        return ppi.write(port, value);
    }
    bool read(std::uint16_t port, std::uint8_t& value) {
        pane.clearStatus();
        return ppi.read(port, value);
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    LoggingPanels panels{clock};
    Ppi8255 ppi{pane, panels};
};

TEST(Ppi8255, ControlWordTable) {
    struct Case {
        std::uint8_t control;
        bool valid;
    };
    const Case cases[] = {
        {0x80, true},   // all outputs
        {0x9B, true},   // all inputs
        {0x89, true},   // C inputs
        {0x92, true},   // A and B inputs
        {0xA0, false},  // group A mode 1
        {0xC0, false},  // group A mode 2
        {0x84, false},  // group B mode 1
        {0x00, false},  // bit set/reset form
        {0x0F, false},
    };
    for (const Case& c : cases) {
        Bench bench{Panel::Led8255};
        EXPECT_EQ(bench.write(Ppi8255::kControlPort, c.control), c.valid) << int{c.control};
        EXPECT_EQ(bench.ppi.control(), c.control) << "stored even when refused";
        // A refused word refuses every port access after it, whatever else would hold.
        const bool written = bench.write(Ppi8255::kPortA, 0x3F);
        std::uint8_t value = 0;
        const bool read = bench.read(Ppi8255::kPortA, value);
        if (!c.valid) {
            EXPECT_FALSE(written);
            EXPECT_FALSE(read);
            EXPECT_EQ(bench.sink.text, kOnlyMode0) << int{c.control};
        }
    }
}

TEST(Ppi8255, WritesAskForADeviceBeforeTheDirection) {
    struct Case {
        std::uint8_t control;
        std::vector<Panel> shown;
        std::uint16_t port;
        const char* message;  // nullptr: the write succeeds
    };
    const Case cases[] = {
        {0x9B, {}, Ppi8255::kPortA, kNoDevice},
        {0x9B, {Panel::Led8255}, Ppi8255::kPortA, kNotOutput},
        {0x80, {}, Ppi8255::kPortB, kNoDevice},
        {0x80, {Panel::Stepper}, Ppi8255::kPortA, nullptr},
        {0x90, {Panel::Scope}, Ppi8255::kPortA, kNotOutput},  // A input
        {0x90, {Panel::Scope}, Ppi8255::kPortB, nullptr},
        {0x82, {Panel::Scope}, Ppi8255::kPortB, kNotOutput},  // B input
        {0x81, {Panel::Scope}, Ppi8255::kPortC, nullptr},     // upper half still output
        {0x88, {Panel::Scope}, Ppi8255::kPortC, nullptr},     // lower half still output
        {0x89, {Panel::Scope}, Ppi8255::kPortC, kNotOutput},  // both halves input
    };
    for (const Case& c : cases) {
        Bench bench;
        for (const Panel panel : c.shown) {
            bench.panels.setVisible(panel, true);
        }
        ASSERT_TRUE(bench.write(Ppi8255::kControlPort, c.control)) << "no device needed";
        EXPECT_EQ(bench.write(c.port, 0x55), c.message == nullptr)
            << int{c.control} << " " << c.port;
        EXPECT_EQ(bench.sink.text, c.message ? c.message : "") << int{c.control} << " " << c.port;
    }
}

TEST(Ppi8255, ReadsAskForTheDirectionBeforeADevice) {
    struct Case {
        std::uint8_t control;
        bool shown;
        std::uint16_t port;
        const char* message;
    };
    const Case cases[] = {
        {0x80, false, Ppi8255::kPortA, kNotInput},
        {0x9B, false, Ppi8255::kPortA, kNoDevice},
        {0x9B, true, Ppi8255::kPortB, nullptr},
        {0x88, true, Ppi8255::kPortC, nullptr},  // upper half input is enough
        {0x81, true, Ppi8255::kPortC, nullptr},
        {0x80, true, Ppi8255::kPortC, kNotInput},
        {0x92, true, Ppi8255::kPortC, kNotInput},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.panels.setVisible(Panel::Led8255, c.shown);
        bench.write(Ppi8255::kControlPort, c.control);
        std::uint8_t value = 0xEE;
        EXPECT_EQ(bench.read(c.port, value), c.message == nullptr) << int{c.control};
        EXPECT_EQ(bench.sink.text, c.message ? c.message : "") << int{c.control};
        if (c.message != nullptr) {
            EXPECT_EQ(value, 0xEE) << "a failed read leaves the value alone";
        }
    }
}

TEST(Ppi8255, ReadsYieldTheLatchAndResetClearsIt) {
    Bench bench{Panel::Led8255};
    bench.write(Ppi8255::kControlPort, 0x80);
    bench.write(Ppi8255::kPortA, 0x5A);
    bench.write(Ppi8255::kPortC, 0xC3);
    bench.write(Ppi8255::kControlPort, 0x99);  // A and C inputs
    std::uint8_t value = 0;
    ASSERT_TRUE(bench.read(Ppi8255::kPortA, value));
    EXPECT_EQ(value, 0x5A);
    ASSERT_TRUE(bench.read(Ppi8255::kPortC, value));
    EXPECT_EQ(value, 0xC3);

    bench.ppi.reset();
    EXPECT_EQ(bench.ppi.control(), 0x9B);
    EXPECT_EQ(bench.ppi.portB(), 0xFF) << "every digit deselected";
    ASSERT_TRUE(bench.read(Ppi8255::kPortA, value));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(bench.read(Ppi8255::kPortC, value));
    EXPECT_EQ(value, 0);
}

TEST(Ppi8255, PortCHalvesThatAreInputsKeepTheirLatch) {
    struct Case {
        std::uint8_t control;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0x80, 0xAB},
        {0x81, 0xA0},  // lower half input
        {0x88, 0x0B},  // upper half input
    };
    for (const Case& c : cases) {
        Bench bench{Panel::Led8255};
        bench.write(Ppi8255::kControlPort, c.control);
        ASSERT_TRUE(bench.write(Ppi8255::kPortC, 0xAB));
        EXPECT_EQ(bench.ppi.portC(), c.expected) << int{c.control};
    }
}

TEST(Ppi8255, PortADrivesTheFirstVisibleDevice) {
    struct Case {
        const char* name;
        std::vector<Panel> shown;
        std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
        const char* log;  // after the control word
    };
    const Case cases[] = {
        {"rightmost digit",
         {Panel::Led8255},
         {{Ppi8255::kPortB, 0xFE}, {Ppi8255::kPortA, 0x3F}},
         "d7=00 d7=3F"},
        {"leftmost digit follows every write",
         {Panel::Led8255},
         {{Ppi8255::kPortB, 0x7F}, {Ppi8255::kPortA, 0x06}, {Ppi8255::kPortC, 0x00}},
         "d0=00 d0=06 d0=06"},
        {"two digits", {Panel::Led8255}, {{Ppi8255::kPortB, 0xBD}}, "d1=00 d6=00"},
        {"stepper gets the whole byte, digits untouched",
         {Panel::Stepper, Panel::Led8255},
         {{Ppi8255::kPortB, 0x00}, {Ppi8255::kPortA, 0xF3}},
         "coils=00 coils=F3"},
        {"scope", {Panel::Scope}, {{Ppi8255::kPortA, 0x80}}, "dac=80"},
        {"stepper before scope",
         {Panel::Scope, Panel::Stepper},
         {{Ppi8255::kPortA, 0x01}},
         "coils=01"},
    };
    for (const Case& c : cases) {
        Bench bench;
        for (const Panel panel : c.shown) {
            bench.panels.setVisible(panel, true);
        }
        bench.write(Ppi8255::kControlPort, 0x80);
        for (const auto& [port, value] : c.writes) {
            ASSERT_TRUE(bench.write(port, value)) << c.name;
        }
        EXPECT_EQ(bench.panels.log, c.log) << c.name;
    }
}

TEST(Ppi8255, DeselectingADigitArmsItsBlankingTimer) {
    struct Case {
        std::vector<Panel> shown;
        std::uint8_t firstB;
        std::uint8_t secondB;
        const char* arms;  // the log entries of the second write
    };
    const Case cases[] = {
        {{Panel::Led8255}, 0xFE, 0xFF, "arm7"},
        {{Panel::Led8255}, 0x00, 0x0F, "arm7 arm6 arm5 arm4"},
        {{Panel::Led8255}, 0x7F, 0xFF, "arm0"},
        {{Panel::Led8255}, 0xFF, 0xFE, ""},  // selecting arms nothing
        {{Panel::Led8255}, 0xF0, 0xF0, ""},
        {{Panel::Led8255, Panel::Stepper}, 0x00, 0xFF, ""},  // the display is not driven
        {{Panel::Led8255, Panel::Scope}, 0x00, 0xFF, ""},
    };
    for (const Case& c : cases) {
        Bench bench;
        for (const Panel panel : c.shown) {
            bench.panels.setVisible(panel, true);
        }
        bench.write(Ppi8255::kControlPort, 0x80);
        bench.write(Ppi8255::kPortB, c.firstB);
        bench.panels.log.clear();
        bench.write(Ppi8255::kPortB, c.secondB);
        std::string arms;
        for (std::size_t at = bench.panels.log.find("arm"); at != std::string::npos;
             at = bench.panels.log.find("arm", at + 1)) {
            arms += (arms.empty() ? "" : " ") + bench.panels.log.substr(at, 4);
        }
        EXPECT_EQ(arms, c.arms) << int{c.firstB} << " -> " << int{c.secondB};
    }
}

TEST(Ppi8255, ResetDarkensTheDisplayAndTheDacWhetherShownOrNot) {
    Bench bench;
    bench.ppi.reset();
    EXPECT_EQ(bench.panels.log, "dac=00 d0=00 d1=00 d2=00 d3=00 d4=00 d5=00 d6=00 d7=00");
}

TEST(Ppi8255, OutputLatchNeedsOnlyAnOutputPort) {
    Bench bench;
    bench.write(Ppi8255::kControlPort, 0xA0);  // refused mode, but A, B and C outputs
    std::uint8_t value = 0;
    EXPECT_TRUE(bench.ppi.readOutputLatch(Ppi8255::kPortB, value));
    EXPECT_EQ(value, 0xFF) << "as the reset left it";
    bench.write(Ppi8255::kControlPort, 0x82);  // B input
    bench.pane.clearStatus();
    EXPECT_FALSE(bench.ppi.readOutputLatch(Ppi8255::kPortB, value));
    EXPECT_EQ(bench.sink.text, kNotOutput);
}

}  // namespace
}  // namespace tarvix
