// The 8279 display: mode set, display RAM writes with left and right entry, the clear fills,
// the address wrap and the refused commands.
#include "devices/kbd8279.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/devices/device_fakes.h"
#include "tests/simulator/fake_clock.h"

namespace tarvix {
namespace {

struct Bench {
    // Writes are "C08" for a command byte, "D3F" for a data byte; stops at the first refusal.
    bool send(const std::vector<std::string>& writes) {
        for (const std::string& write : writes) {
            const auto value = static_cast<std::uint8_t>(std::stoi(write.substr(1), nullptr, 16));
            if (!(write[0] == 'C' ? kbd.writeCommand(value) : kbd.writeData(value))) {
                return false;
            }
        }
        return true;
    }
    std::string digits() const {
        std::string text;
        for (const std::uint8_t pattern : panels.led8279()) {
            text += formatText(text.empty() ? "%02X" : " %02X", pattern);
        }
        return text;
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    LoggingPanels panels{clock};
    Kbd8279 kbd{pane, panels};
};

TEST(Kbd8279, DisplayTable) {
    struct Case {
        const char* name;
        std::vector<std::string> writes;
        const char* digits;  // digit 0 (leftmost) first
    };
    const Case cases[] = {
        {"left entry",
         {"C08", "C90", "D3F", "D06"},
         "3F 06 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"right entry scrolls",
         {"C18", "C90", "D3F", "D06"},
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 3F 06"},
        {"right entry, three bytes",
         {"C18", "C90", "D01", "D02", "D03"},
         "00 00 00 00 00 00 00 00 00 00 00 00 00 01 02 03"},
        {"keyboard mode bits are ignored",
         {"C0F", "C90", "D3F"},
         "3F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"clear, all segments", {"CDC"}, "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"clear to blank (11 then 00)",
         {"CDC", "CD0"},
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"clear to blank (11 then 01)",
         {"CDC", "CC4"},
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"clear to segment f", {"CD8"}, "20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20"},
        {"clear keeps the address",
         {"C08", "C93", "CD0", "D77"},
         "00 00 00 77 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"no auto-increment",
         {"C08", "C85", "D11", "D22"},
         "00 00 00 00 00 22 00 00 00 00 00 00 00 00 00 00"},
        {"before any command every digit shows entry 0",
         {"D5B"},
         "5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B"},
        {"a second byte before any command lands unseen",
         {"D5B", "D4F"},
         "5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B 5B"},
        {"seventeen bytes wrap to entry 0",
         {"C08", "C90", "D01", "D02", "D03", "D04", "D05", "D06", "D07", "D08", "D09", "D0A", "D0B",
          "D0C", "D0D", "D0E", "D0F", "D10", "D11"},
         "11 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10"},
    };
    for (const Case& c : cases) {
        Bench bench;
        ASSERT_TRUE(bench.send(c.writes)) << c.name << ": " << bench.sink.text;
        EXPECT_EQ(bench.digits(), c.digits) << c.name;
    }
}

TEST(Kbd8279, RefusedCommands) {
    struct Case {
        std::uint8_t command;
        const char* message;
    };
    constexpr const char* kNotImplemented = "Error: 8279 command not implemented";
    constexpr const char* kSixteen = "Error: Choose left(08H) or right(18H) entry /(16 digits)";
    const Case cases[] = {
        {0x20, kNotImplemented},  // clock prescaler
        {0x40, kNotImplemented},  // read FIFO
        {0x60, kNotImplemented},  // read display
        {0xA0, kNotImplemented},  // display inhibit
        {0xE0, kNotImplemented},  // end interrupt
        {0x00, kSixteen},         // 8 digits, left entry
        {0x10, kSixteen},         // 8 digits, right entry
    };
    for (const Case& c : cases) {
        Bench bench;
        EXPECT_FALSE(bench.kbd.writeCommand(c.command)) << int{c.command};
        EXPECT_EQ(bench.sink.text, c.message) << int{c.command};
        EXPECT_EQ(bench.panels.log, "") << "nothing shown";
    }
}

// The refused mode byte still sets the entry mode; the digit map stays as it was.
TEST(Kbd8279, RefusedModeSetStillTakesTheEntryMode) {
    Bench bench;
    ASSERT_TRUE(bench.send({"C18", "C90", "D01"}));
    EXPECT_FALSE(bench.kbd.writeCommand(0x00));
    EXPECT_TRUE(bench.kbd.leftEntry());
    ASSERT_TRUE(bench.send({"D02"}));  // left entry now: no scroll
    EXPECT_EQ(bench.digits(), "02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01")
        << "the map still holds the scroll of the first byte";
    EXPECT_EQ(bench.kbd.displayRam(1), 0x02);
}

}  // namespace
}  // namespace tarvix
