// The kit's 8255 PPI, mode 0 only: ports A (20H), B (22H), C (24H) and the control port
// (26H). Port A drives whichever of its three devices is connected: the 8255 LED display
// (B selects digits, active low), the stepper motor or the DAC. Nothing drives the pins from
// outside, so reading a port yields its own latch.
#pragma once

#include <cstdint>

#include "common/output_pane.h"
#include "devices/device_panels.h"

namespace tarvix {

class Ppi8255 {
public:
    static constexpr std::uint16_t kPortA = 0x20;
    static constexpr std::uint16_t kPortB = 0x22;
    static constexpr std::uint16_t kPortC = 0x24;
    static constexpr std::uint16_t kControlPort = 0x26;
    // Mode 0 with every port an input.
    static constexpr std::uint8_t kResetControl = 0x9B;

    Ppi8255(OutputPane& pane, DevicePanels& panels) : pane_(pane), panels_(panels) {}

    bool write(std::uint16_t port, std::uint8_t value);
    bool read(std::uint16_t port, std::uint8_t& value);
    // The latch of an output port, whatever the mode and devices: for the blanking timers.
    bool readOutputLatch(std::uint16_t port, std::uint8_t& value);
    // At every Run and Step, and by Reset CPU: all inputs, every LED digit dark, DAC at 0.
    void reset();

    std::uint8_t control() const { return control_; }

private:
    bool modeIsValid() const;
    bool isOutput(std::uint16_t port) const;
    bool isInput(std::uint16_t port) const;
    bool anyDeviceVisible() const;
    void storeC(std::uint8_t value);
    void armBlankTimers(std::uint8_t oldB);
    void driveDevice();
    std::uint8_t latch(std::uint16_t port) const;

    OutputPane& pane_;
    DevicePanels& panels_;
    std::uint8_t portA_ = 0;
    std::uint8_t portB_ = 0;
    std::uint8_t portC_ = 0;
    std::uint8_t control_ = kResetControl;
};

}  // namespace tarvix
