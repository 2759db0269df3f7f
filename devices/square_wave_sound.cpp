#include "devices/square_wave_sound.h"

#include <algorithm>
#include <string_view>

namespace tarvix {

namespace {

void put(std::span<std::uint8_t> bytes, std::size_t offset, std::string_view tag) {
    std::copy(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// Little-endian, as WAVE files are.
void put(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

SquareWaveSound::SquareWaveSound() {
    put(bytes_, 0, "RIFF");
    put(bytes_, 8, "WAVE");
    put(bytes_, 12, "fmt ");
    put(bytes_, 16, 16, 4);  // size of the format chunk
    put(bytes_, 20, 1, 2);   // PCM
    put(bytes_, 22, 1, 2);   // mono
    put(bytes_, 24, kSampleRate, 4);
    put(bytes_, 28, kSampleRate, 4);  // bytes per second
    put(bytes_, 32, 1, 2);            // block alignment
    put(bytes_, 34, 8, 2);            // bits per sample
    put(bytes_, 36, "data");
    setSampleCount(0);
}

void SquareWaveSound::setSampleCount(std::size_t count) {
    sampleCount_ = count;
    put(bytes_, 4, static_cast<std::uint32_t>(36 + count), 4);
    put(bytes_, 40, static_cast<std::uint32_t>(count), 4);
}

bool SquareWaveSound::build(int frequency) {
    if (frequency < 1 || frequency > kHighestFrequency) {
        return false;
    }
    const auto count = static_cast<std::size_t>(kSampleRate / frequency);
    // The timer never asks below 18 Hz; anything lower must not run past the image.
    if (count > kMaxSamples) {
        return false;
    }
    const std::size_t half = count / 2;
    const auto samples = bytes_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize);
    std::fill(samples, samples + static_cast<std::ptrdiff_t>(half), kLow);
    std::fill(samples + static_cast<std::ptrdiff_t>(half),
              samples + static_cast<std::ptrdiff_t>(count), kHigh);
    setSampleCount(count);
    return true;
}

}  // namespace tarvix
