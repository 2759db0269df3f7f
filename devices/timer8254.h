// Counter 2 of the kit's 8253/8254 in mode 3 (square wave) at ports 42H (data) and 43H
// (control), wired to the speaker. It times nothing: the programmed count becomes a tone
// that loops on the host's sound output until a zero count or a new pitch replaces it.
#pragma once

#include <cstdint>

#include "common/output_pane.h"
#include "devices/sound_output.h"
#include "devices/square_wave_sound.h"

namespace tarvix {

class Timer8254 {
public:
    static constexpr int kInputClockHz = 1193180;

    Timer8254(OutputPane& pane, SoundOutput& output) : pane_(pane), output_(output) {}
    ~Timer8254() { output_.stop(); }

    Timer8254(const Timer8254&) = delete;
    Timer8254& operator=(const Timer8254&) = delete;

    bool writeControl(std::uint8_t value);
    bool writeData(std::uint8_t value);

    std::uint8_t control() const { return control_; }
    std::uint16_t count() const { return count_; }
    const SquareWaveSound& sound() const { return sound_; }

private:
    void playCount();

    OutputPane& pane_;
    SoundOutput& output_;
    SquareWaveSound sound_;
    bool expectLsb_ = true;
    std::uint8_t control_ = 0;  // 0: no control word yet
    std::uint16_t count_ = 0;
};

}  // namespace tarvix
