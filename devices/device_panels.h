// What the chips ask of the panel windows: whether a device is connected (its panel is
// visible), and the LED digits, the stepper's coils and the DAC value they drive. The GUI
// draws them; RecordedPanels keeps them as plain state for the command line and the tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/clock.h"

namespace tarvix {

class Ppi8255;

enum class Panel { Scope, Stepper, Led8255, Led8279, Speaker };
inline constexpr int kPanelCount = 5;

inline constexpr int kLed8255Digits = 8;
inline constexpr int kLed8279Digits = 16;

class DevicePanels {
public:
    virtual ~DevicePanels() = default;

    virtual bool isVisible(Panel panel) const = 0;
    virtual void setVisible(Panel panel, bool visible) = 0;

    // Digit 0 is the leftmost.
    virtual void setLed8255Digit(int digit, std::uint8_t pattern) = 0;
    // Starts or restarts the digit's one-shot 150 ms blanking timer.
    virtual void armBlankTimer(int digit) = 0;
    virtual void setLed8279Digit(int digit, std::uint8_t pattern) = 0;
    virtual void setCoils(std::uint8_t coils) = 0;
    virtual void setDacValue(std::uint8_t value) = 0;
};

// Panels without windows. The blanking timers run on the injected clock; expireBlankTimers
// does what the panel's timer does when it fires.
class RecordedPanels : public DevicePanels {
public:
    static constexpr std::int64_t kBlankMilliseconds = 150;

    explicit RecordedPanels(Clock& clock) : clock_(clock) {}

    bool isVisible(Panel panel) const override { return visible_[index(panel)]; }
    void setVisible(Panel panel, bool visible) override { visible_[index(panel)] = visible; }
    void setLed8255Digit(int digit, std::uint8_t pattern) override;
    void armBlankTimer(int digit) override;
    void setLed8279Digit(int digit, std::uint8_t pattern) override;
    void setCoils(std::uint8_t coils) override { coils_ = coils; }
    void setDacValue(std::uint8_t value) override { dac_ = value; }

    // Blanks each digit whose timer has run out while it is still deselected in port B's
    // latch. A timer that runs out while the panel is hidden stays armed.
    void expireBlankTimers(Ppi8255& ppi);

    const std::array<std::uint8_t, kLed8255Digits>& led8255() const { return led8255_; }
    const std::array<std::uint8_t, kLed8279Digits>& led8279() const { return led8279_; }
    std::uint8_t coils() const { return coils_; }
    std::uint8_t dac() const { return dac_; }
    bool blankTimerArmed(int digit) const;

private:
    static std::size_t index(Panel panel) { return static_cast<std::size_t>(panel); }
    std::int64_t nowMilliseconds();

    Clock& clock_;
    std::array<bool, kPanelCount> visible_{};
    std::array<std::uint8_t, kLed8255Digits> led8255_{};
    std::array<std::uint8_t, kLed8279Digits> led8279_{};
    std::uint8_t coils_ = 0;
    std::uint8_t dac_ = 0;
    std::array<std::optional<std::int64_t>, kLed8255Digits> blankDeadline_{};
};

}  // namespace tarvix
