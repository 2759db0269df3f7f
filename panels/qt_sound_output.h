// The speaker on the host's default audio output: the WAVE image's samples looped without
// end. With no audio device it stays silent; sound is never an error and never waits.
#pragma once

#include <functional>
#include <memory>

#include "devices/sound_output.h"

class QAudioSink;

namespace tarvix {

class LoopingWaveDevice;

class QtSoundOutput : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    void playLooped(std::span<const std::uint8_t> wave, int frequency) override;
    void stop() override;

    // The pitch of the tone being played, 0 when silent (also without an audio device).
    int frequency() const { return frequency_; }
    // Told the pitch of each tone asked for, audible or not, and 0 when it stops.
    void setToneHandler(std::function<void(int)> handler) { onTone_ = std::move(handler); }

private:
    void silence();
    void tellTone(int frequency) const;

    std::function<void(int)> onTone_;
    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<LoopingWaveDevice> samples_;
    int frequency_ = 0;
};

}  // namespace tarvix
