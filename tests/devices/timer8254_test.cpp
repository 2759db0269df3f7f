// Counter 2 and the speaker: the control word checks in their order, the three access
// modes, the pitch and silence rules, and the WAVE image byte for byte.
#include "devices/timer8254.h"

#include <gtest/gtest.h>

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

TEST(Timer8254, ControlWordBeforeData) {
    Bench bench;
    EXPECT_FALSE(bench.timer.writeData(0x10));
    EXPECT_EQ(bench.sink.text, "Error: Please set control word first");
    EXPECT_EQ(bench.timer.count(), 0);
}

// A new LSB-then-MSB control word starts again with the low byte.
TEST(Timer8254, ControlWordRestartsTheBytePair) {
    Bench bench;
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
        MemoryOutputSink sink;
        OutputPane pane{sink};
        Timer8254 timer{pane, output};
        timer.writeControl(0x96);
        timer.writeData(0xC8);
        ASSERT_NE(output.frequency, 0);
    }
    EXPECT_EQ(output.frequency, 0);
}

std::vector<std::uint8_t> expectedImage(std::uint32_t lows, std::uint32_t highs) {
    const std::uint32_t n = lows + highs;
    const std::uint32_t riff = 36 + n;
    std::vector<std::uint8_t> image = {'R',
                                       'I',
                                       'F',
                                       'F',
                                       static_cast<std::uint8_t>(riff),
                                       static_cast<std::uint8_t>(riff >> 8),
                                       0,
                                       0,
                                       'W',
                                       'A',
                                       'V',
                                       'E',
                                       'f',
                                       'm',
                                       't',
                                       ' ',
                                       16,
                                       0,
                                       0,
                                       0,
                                       1,
                                       0,
                                       1,
                                       0,
                                       0x22,
                                       0x56,
                                       0,
                                       0,  // 22050 samples a second
                                       0x22,
                                       0x56,
                                       0,
                                       0,  // 22050 bytes a second
                                       1,
                                       0,
                                       8,
                                       0,
                                       'd',
                                       'a',
                                       't',
                                       'a',
                                       static_cast<std::uint8_t>(n),
                                       static_cast<std::uint8_t>(n >> 8),
                                       0,
                                       0};
    image.insert(image.end(), lows, 0x40);
    image.insert(image.end(), highs, 0xC0);
    return image;
}

TEST(SquareWaveSound, ImageByteForByte) {
    struct Case {
        int frequency;
        std::uint32_t lows;
        std::uint32_t highs;
    };
    const Case cases[] = {
        {1000, 11, 11}, {3676, 2, 3},  // an odd period: the high half takes the extra sample
        {10946, 1, 1},  {11025, 1, 1}, {18, 612, 613},  // the longest period
    };
    for (const Case& c : cases) {
        SquareWaveSound sound;
        ASSERT_TRUE(sound.build(c.frequency)) << c.frequency;
        const auto image = sound.image();
        EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.end()),
                  expectedImage(c.lows, c.highs))
            << c.frequency;
    }
}

TEST(SquareWaveSound, RefusesWhatItCannotHold) {
    SquareWaveSound sound;
    EXPECT_EQ(std::vector<std::uint8_t>(sound.image().begin(), sound.image().end()),
              expectedImage(0, 0))
        << "a header with no samples to start with";
    ASSERT_TRUE(sound.build(1000));
    // Below 18 Hz a period would overrun the image's sample area.
    for (const int frequency : {0, -5, 1, 17, 11026, 20000}) {
        EXPECT_FALSE(sound.build(frequency)) << frequency;
    }
    EXPECT_EQ(sound.sampleCount(), 22u) << "a refusal leaves the image as it was";
}

}  // namespace
}  // namespace tarvix
