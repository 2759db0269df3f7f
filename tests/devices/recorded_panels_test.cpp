// The headless panels' blanking timers: a deselected 8255 digit goes dark 150 ms of the
// injected clock later, unless it was selected again meanwhile.
#include <gtest/gtest.h>

#include <sstream>

#include "devices/ppi8255.h"
#include "tests/kit_fakes.h"

namespace tarvix {
namespace {

TEST(BlankTimers, Scripts) {
    const struct {
        const char* script;  // "B7F" writes port B, "C82" the control word, "+150" lets 150 ms
                             // pass and fires the timers due, "hide" and "show" the panel
        const char* digits;  // afterwards, the leftmost first
        bool armed;          // the rightmost digit's timer, afterwards
    } cases[] = {
        {"BFF +149", "00 00 00 00 00 00 00 06", true},
        {"BFF +149 +1", "00 00 00 00 00 00 00 00", false},
        {"BFF +100 BFE +100", "00 00 00 00 00 00 00 06", false},
        {"BFF +100 BFE BFF +100", "00 00 00 00 00 00 00 06", true},  // the timer restarted
        {"BFF +100 BFE BFF +100 +50", "00 00 00 00 00 00 00 00", false},
        {"BFF hide +500", "00 00 00 00 00 00 00 06", true},  // a hidden panel keeps it armed
        {"BFF hide +500 show +0", "00 00 00 00 00 00 00 00", false},
        {"BFF C82 +150", "00 00 00 00 00 00 00 06", false},  // port B no longer an output
        {"B00 B0F +150", "06 06 06 06 00 00 00 00", false},  // only the deselected go dark
    };
    for (const bool counter : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.script) + (counter ? "" : " without a counter"));
            MemoryOutputSink sink;
            OutputPane pane{sink};
            FakeClock clock;
            clock.ticksPerSecond = counter ? 1000 : 0;  // else milliseconds
            LoggingPanels panels{clock};
            Ppi8255 ppi{pane, panels};
            panels.setVisible(Panel::Led8255, true);
            ppi.reset();
            ppi.write(Ppi8255::kControlPort, 0x80);
            ppi.write(Ppi8255::kPortB, 0xFE);  // the rightmost digit
            ppi.write(Ppi8255::kPortA, 0x06);
            std::istringstream words(c.script);
            for (std::string word; words >> word;) {
                if (word == "hide" || word == "show") {
                    panels.setVisible(Panel::Led8255, word == "show");
                } else if (word[0] != '+') {
                    const auto value =
                        static_cast<std::uint8_t>(std::stoi(word.substr(1), nullptr, 16));
                    ppi.write(word[0] == 'B' ? Ppi8255::kPortB : Ppi8255::kControlPort, value);
                } else {
                    const int ms = std::stoi(word.substr(1));
                    clock.ticks += ms;
                    clock.millis += static_cast<std::uint64_t>(ms);
                    panels.expireBlankTimers(ppi);
                }
            }
            std::string digits;
            for (const std::uint8_t d : panels.led8255()) {
                digits += formatText(digits.empty() ? "%02X" : " %02X", d);
            }
            EXPECT_EQ(digits, c.digits);
            EXPECT_EQ(panels.blankTimerArmed(7), c.armed);
        }
    }
}

}  // namespace
}  // namespace tarvix
