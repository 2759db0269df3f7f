// Counter 2 and the speaker: the control word checks in their order, the three access
// modes, the pitch and silence rules, and the WAVE image of the tone.
#include "devices/timer8254.h"

#include <span>
#include <string>
#include <vector>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

using Timer8254Test = KitFixture;

// Scripts through the speaker's ports, 43H the control word and 42H counter 2, in one kit: the
// timer keeps its state from row to row, as it does from run to run.
TEST_F(Timer8254Test, PortScripts) {
    const std::string counter2 = "!Program only counter 2";
    const std::string mode3 = "!Only mode 3 supported";
    const struct {
        const char* script;
        std::string transcript;
        int frequency;  // afterwards; 0: silent
    } cases[] = {
        {"+speaker 42=10", "!Please set control word first", 0},
        {"43=B6 42=A9 42=04", "", 1000},     // LSB then MSB
        {"43=B6 42=A9", "", 0},              // the low byte alone is silent
        {"43=96 42=C8", "", 5965},           // LSB only
        {"43=A6 42=01", "", 4660},           // MSB only
        {"43=96 42=00", "", 0},              // count 0 is silent
        {"43=96 42=64", "", 0},              // count 100 is too high to hear
        {"43=96 42=C8 42=6D", "", 10946},    // LSB only restarts with every byte: 109, the highest
        {"43=B6 42=FF 42=FF", "", 18},       // the lowest
        {"43=B6 42=A9 42=04 42=10", "", 0},  // a third byte starts a new pair
        {"43=B6 42=A9 43=B6 42=00 42=05", "", 932},  // a control word restarts the pair
        // The checks in their order; a refused word leaves the control as it was.
        {"43=96 43=36 43=76 43=C6 43=F7 42=C8",
         counter2 + " " + counter2 + " " + counter2 + " " + counter2, 5965},
        {"43=96 43=B7 43=B2 43=B4 43=87 42=C8", mode3 + " " + mode3 + " " + mode3 + " " + mode3,
         5965},
        {"43=96 43=86 42=C8", "!counter latch command not supported", 5965},
    };
    resetDevices();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(ports(c.script), c.transcript);
        EXPECT_EQ(sound.frequency, c.frequency);
    }
}

TEST(Timer8254, DestroyingTheTimerStopsTheTone) {
    RecordedSound output;
    {
        MemoryOutputSink sink;
        OutputPane pane{sink};
        Timer8254 timer{pane, output};
        timer.writeControl(0x96);
        timer.writeData(0xC8);
        ASSERT_NE(output.frequency, 0);
    }
    EXPECT_EQ(output.frequency, 0);
}

std::uint32_t le(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

// The image as a WAVE reader walks it, chunk by chunk: 8-bit mono PCM at 22050 samples a
// second, then one period of the tone, the low half first and the high half taking the odd
// sample.
TEST(SquareWaveSound, AWaveReaderHearsTheTone) {
    SquareWaveSound sound;
    for (const int frequency : {1000, 3676, 11025, 18}) {
        SCOPED_TRACE(frequency);
        ASSERT_TRUE(sound.build(frequency));
        const auto image = sound.image();
        ASSERT_EQ(std::string(image.begin(), image.begin() + 4), "RIFF");
        EXPECT_EQ(le(image, 4, 4) + 8, image.size());
        std::size_t at = 12;
        std::vector<std::uint8_t> samples;
        while (at + 8 <= image.size()) {
            const std::string tag(image.begin() + static_cast<std::ptrdiff_t>(at),
                                  image.begin() + static_cast<std::ptrdiff_t>(at + 4));
            const std::size_t size = le(image, at + 4, 4);
            if (tag == "fmt ") {
                EXPECT_EQ(le(image, at + 8, 2), 1u);       // PCM
                EXPECT_EQ(le(image, at + 10, 2), 1u);      // mono
                EXPECT_EQ(le(image, at + 12, 4), 22050u);  // samples a second
                EXPECT_EQ(le(image, at + 22, 2), 8u);      // bits a sample
            } else if (tag == "data") {
                samples.assign(image.begin() + static_cast<std::ptrdiff_t>(at + 8), image.end());
                EXPECT_EQ(size, samples.size());
            }
            at += 8 + size;
        }
        const std::size_t period = static_cast<std::size_t>(22050 / frequency);
        ASSERT_EQ(samples.size(), period);
        for (std::size_t i = 0; i < period; ++i) {
            EXPECT_EQ(samples[i], i < period / 2 ? 0x40 : 0xC0) << i;
        }
    }
    // Below 18 Hz a period would overrun the image's sample area.
    for (const int frequency : {0, -5, 1, 17, 11026, 20000}) {
        EXPECT_FALSE(sound.build(frequency)) << frequency;
    }
    EXPECT_EQ(sound.sampleCount(), 1225u) << "a refusal leaves the image as it was";
}

}  // namespace
}  // namespace tarvix
