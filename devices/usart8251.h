// The transmit side of the kit's 8251 USART at ports 60H (data) and 61H (mode and command
// words; status on read), its line ending in the CRT terminal program. Characters leave at
// one per 1041 µs of the injected clock; a character written while the previous one is still
// on the line is lost, as on the kit, so programs poll TxRDY first.
#pragma once

#include <cstdint>
#include <optional>

#include "common/clock.h"
#include "common/output_pane.h"
#include "devices/terminal_launcher.h"
#include "devices/terminal_link.h"

namespace tarvix {

class Usart8251 {
public:
    static constexpr std::int64_t kCharacterMicroseconds = 1041;
    static constexpr std::uint8_t kStatusReady = 0x85;  // DSR, TxEMPTY, TxRDY
    static constexpr std::uint8_t kStatusBusy = 0x84;

    Usart8251(OutputPane& pane, TerminalLink& terminal, TerminalLauncher& launcher, Clock& clock)
        : pane_(pane), terminal_(terminal), launcher_(launcher), clock_(clock) {}

    bool writeControl(std::uint8_t value);
    bool writeData(std::uint8_t value);
    std::uint8_t readStatus();
    // At every Run and Step: expecting a mode word, nothing on the line.
    void reset();
    // The CRT Terminal command and `connect terminal`.
    void launchTerminal();

    bool expectsMode() const { return expectMode_; }

private:
    // The high-resolution counter where there is one, else milliseconds.
    std::int64_t now();
    bool lineFree(std::int64_t time);

    OutputPane& pane_;
    TerminalLink& terminal_;
    TerminalLauncher& launcher_;
    Clock& clock_;
    // When the last character went out; none since the reset. (A time of 0 is a real reading
    // on a clock that starts at 0, so it cannot stand for "never".)
    std::optional<std::int64_t> lastTransmit_;
    std::uint8_t modeWord_ = 0;
    std::uint8_t commandWord_ = 0;
    bool expectMode_ = true;
};

}  // namespace tarvix
