// The 8279 display: mode set, display RAM writes with left and right entry, the clear fills,
// the address wrap and the refused commands.
#include "devices/kbd8279.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/kit_fakes.h"

namespace tarvix {
namespace {

struct Bench {
    // Writes are "C08" for a command byte, "D3F" for a data byte; false if any was refused.
    bool send(const std::vector<std::string>& writes) {
        bool taken = true;
        for (const std::string& write : writes) {
            const auto value = static_cast<std::uint8_t>(std::stoi(write.substr(1), nullptr, 16));
            taken = (write[0] == 'C' ? kbd.writeCommand(value) : kbd.writeData(value)) && taken;
        }
        return taken;
    }
    // "0=3F 14=06": the digits that are lit, the leftmost first; "all 5B" when all alike.
    std::string digits() const {
        const auto& all = panels.led8279();
        if (all[0] != 0 && std::ranges::count(all, all[0]) == kLed8279Digits) {
            return formatText("all %02X", all[0]);
        }
        std::string text;
        for (int digit = 0; digit < kLed8279Digits; ++digit) {
            if (const std::uint8_t pattern = all[static_cast<std::size_t>(digit)]; pattern != 0) {
                text += formatText(text.empty() ? "%d=%02X" : " %d=%02X", digit, pattern);
            }
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
    constexpr const char* kNotImplemented = "Error: 8279 command not implemented";
    constexpr const char* kSixteen = "Error: Choose left(08H) or right(18H) entry /(16 digits)";
    struct Case {
        const char* name;
        std::vector<std::string> writes;
        const char* digits;        // digit 0 (leftmost) first
        const char* refusal = "";  // the pane after a refused command
    };
    const Case cases[] = {
        {"left entry", {"C08", "C90", "D3F", "D06"}, "0=3F 1=06"},
        {"right entry scrolls", {"C18", "C90", "D3F", "D06"}, "14=3F 15=06"},
        {"right entry, three bytes", {"C18", "C90", "D01", "D02", "D03"}, "13=01 14=02 15=03"},
        {"keyboard mode bits are ignored", {"C0F", "C90", "D3F"}, "0=3F"},
        {"clear, all segments", {"CDC"}, "all FF"},
        {"clear to blank (11 then 00)", {"CDC", "CD0"}, ""},
        {"clear to blank (11 then 01)", {"CDC", "CC4"}, ""},
        {"clear to segment f", {"CD8"}, "all 20"},
        {"clear keeps the address", {"C08", "C93", "CD0", "D77"}, "3=77"},
        {"no auto-increment", {"C08", "C85", "D11", "D22"}, "5=22"},
        {"before any command every digit shows entry 0", {"D5B"}, "all 5B"},
        {"a second byte before any command lands unseen", {"D5B", "D4F"}, "all 5B"},
        {"seventeen bytes wrap to entry 0",
         {"C08", "C90", "D01", "D02", "D03", "D04", "D05", "D06", "D07", "D08", "D09", "D0A", "D0B",
          "D0C", "D0D", "D0E", "D0F", "D10", "D11"},
         "0=11 1=02 2=03 3=04 4=05 5=06 6=07 7=08 8=09 9=0A 10=0B 11=0C 12=0D 13=0E 14=0F 15=10"},
        {"clock prescaler", {"C20"}, "", kNotImplemented},
        {"end interrupt", {"CE0"}, "", kNotImplemented},
        {"8 digits, right entry", {"C10"}, "", kSixteen},
        // The refused mode byte still sets left entry; the map keeps the first byte's scroll.
        {"8 digits, left entry", {"C18", "C90", "D01", "C00", "D02"}, "0=02 15=01", kSixteen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        EXPECT_EQ(bench.send(c.writes), *c.refusal == '\0');
        EXPECT_EQ(bench.sink.text, c.refusal);
        EXPECT_EQ(bench.digits(), c.digits);
    }
}

}  // namespace
}  // namespace tarvix
