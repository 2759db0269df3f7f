// Counter 2 and the speaker: the control word checks in their order, the three access
// modes, the pitch and silence rules, and the WAVE image of the tone.
#include "devices/timer8254.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace tarvix {
namespace {

struct Bench {
    MemoryOutputSink sink;
    OutputPane pane{sink};
    RecordedSound output;
    Timer8254 timer{pane, output};
};

TEST(Timer8254, ControlWordTable) {
    struct Case {
        std::uint8_t control;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {0x96, nullptr},
        {0xA6, nullptr},
        {0xB6, nullptr},
        {0x36, "Error: Program only counter 2"},
        {0x76, "Error: Program only counter 2"},
        {0xC6, "Error: Program only counter 2"},  // read-back
        {0xF7, "Error: Program only counter 2"},  // counter checked before mode
        {0xB7, "Error: Only mode 3 supported"},   // BCD
        {0xB2, "Error: Only mode 3 supported"},   // mode 1
        {0xB4, "Error: Only mode 3 supported"},   // mode 2
        {0x87, "Error: Only mode 3 supported"},   // mode checked before latch
        {0x86, "Error: counter latch command not supported"},
    };
    for (const Case& c : cases) {
        Bench bench;
        ASSERT_TRUE(bench.timer.writeControl(0x96));
        EXPECT_EQ(bench.timer.writeControl(c.control), c.message == nullptr) << int{c.control};
        EXPECT_EQ(bench.sink.text, c.message ? c.message : "") << int{c.control};
        EXPECT_EQ(bench.timer.control(), c.message ? 0x96 : c.control)
            << "a refused word leaves the control as it was";
    }
}

TEST(Timer8254, DataTable) {
    struct Case {
        const char* name;
        std::uint8_t control;
        std::vector<std::uint8_t> data;
        std::uint16_t count;
        int frequency;  // 0: silent
    };
    const Case cases[] = {
        {"LSB then MSB", 0xB6, {0xA9, 0x04}, 0x04A9, 1000},
        {"the low byte alone is silent", 0xB6, {0xA9}, 0x00A9, 0},
        {"LSB only", 0x96, {0xC8}, 0x00C8, 5965},
        {"MSB only", 0xA6, {0x01}, 0x0100, 4660},
        {"count 0 is silent", 0x96, {0x00}, 0, 0},
        {"count 100 is too high to hear", 0x96, {0x64}, 100, 0},
        {"count 109 is the highest tone", 0x96, {0x6D}, 109, 10946},
        {"count FFFF is the lowest", 0xB6, {0xFF, 0xFF}, 0xFFFF, 18},
        {"LSB only restarts with every byte", 0x96, {0xC8, 0x6D}, 109, 10946},
        {"a third byte starts a new count", 0xB6, {0xA9, 0x04, 0x10}, 0x0010, 0},
        {"a second pair: silent after its low byte, sounding after its high byte",
         0xB6,
         {0xA9, 0x04, 0x00, 0x05},
         0x0500,
         932},
    };
    for (const Case& c : cases) {
        Bench bench;
        ASSERT_TRUE(bench.timer.writeControl(c.control));
        for (const std::uint8_t byte : c.data) {
            ASSERT_TRUE(bench.timer.writeData(byte)) << c.name;
        }
        EXPECT_EQ(bench.timer.count(), c.count) << c.name;
        EXPECT_EQ(bench.output.frequency, c.frequency) << c.name;
    }
}

TEST(Timer8254, ControlWordFirstAndItRestartsTheBytePair) {
    Bench bench;
    EXPECT_FALSE(bench.timer.writeData(0x10));
    EXPECT_EQ(bench.sink.text, "Error: Please set control word first");
    ASSERT_TRUE(bench.timer.writeControl(0xB6));
    ASSERT_TRUE(bench.timer.writeData(0xA9));
    ASSERT_TRUE(bench.timer.writeControl(0xB6));
    ASSERT_TRUE(bench.timer.writeData(0xA9));
    ASSERT_TRUE(bench.timer.writeData(0x04));
    EXPECT_EQ(bench.output.frequency, 1000);
}

TEST(Timer8254, DestroyingTheTimerStopsTheTone) {
    RecordedSound output;
    {
        Bench bench;
        Timer8254 timer{bench.pane, output};
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
