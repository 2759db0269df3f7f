// One period of a square wave as a WAVE file image in memory (8-bit unsigned mono PCM at
// 22050 samples a second), for the speaker to loop: the low half first, the high half taking
// the odd sample.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvix {

class SquareWaveSound {
public:
    static constexpr int kSampleRate = 22050;
    static constexpr int kHighestFrequency = kSampleRate / 2;
    static constexpr std::size_t kHeaderSize = 44;
    // The longest period: 22050 / 18 Hz (count FFFFH) is 1225 samples.
    static constexpr std::size_t kMaxSamples = 1228;
    static constexpr std::uint8_t kLow = 0x40;
    static constexpr std::uint8_t kHigh = 0xC0;

    SquareWaveSound();

    // False, leaving the image as it was, for a frequency the image cannot hold: above
    // 11025 Hz or below 18 Hz.
    bool build(int frequency);

    // The header and the samples of the last build.
    std::span<const std::uint8_t> image() const {
        return {bytes_.data(), kHeaderSize + sampleCount_};
    }
    std::size_t sampleCount() const { return sampleCount_; }

private:
    void setSampleCount(std::size_t count);

    std::array<std::uint8_t, kHeaderSize + kMaxSamples> bytes_{};
    std::size_t sampleCount_ = 0;
};

}  // namespace tarvix
