// The host's sound output for the speaker: an in-memory WAVE image played looped and
// asynchronously, a new sound replacing the playing one. RecordedSound stands in for it
// where there is no audio: it keeps what would be heard.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarvix {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // `frequency` is the tone's pitch in Hz, for outputs that show rather than play it.
    virtual void playLooped(std::span<const std::uint8_t> wave, int frequency) = 0;
    virtual void stop() = 0;
};

class RecordedSound : public SoundOutput {
public:
    int frequency = 0;  // of the tone playing; 0 when silent
    std::vector<std::uint8_t> wave;

    void playLooped(std::span<const std::uint8_t> image, int hz) override {
        wave.assign(image.begin(), image.end());
        frequency = hz;
    }
    void stop() override {
        wave.clear();
        frequency = 0;
    }
};

}  // namespace tarvix
