// The kit's I/O bus: IN and OUT through AL over the fixed port map, and the connect statement
// that plugs devices (panels) in while a program runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/output_pane.h"
#include "devices/kit_devices.h"
#include "simulator/cpu_registers.h"

namespace tarvix {

class PortBus {
public:
    PortBus(OutputPane& pane, CpuRegisters& regs, KitDevices& devices, std::uint8_t& lastKey,
            bool& hwTimerEnabled)
        : pane_(pane),
          regs_(regs),
          devices_(devices),
          lastKey_(lastKey),
          hwTimerEnabled_(hwTimerEnabled) {}

    // OUT port,AL and OUT DX,AL (isIn false); IN AL,port and IN AL,DX (isIn true). `dest` and
    // `source` are the operand texts. False after reporting why the run must stop.
    bool execInOut(bool isIn, std::string_view dest, std::string_view source);

    // Shows a device's panel, starts the terminal or connects the 1 Hz timer; an unknown
    // name is reported and the run goes on.
    void connect(std::string_view name);

private:
    bool portOperand(std::string_view text, std::uint16_t& port);
    bool out(std::uint16_t port);
    bool in(std::uint16_t port);

    OutputPane& pane_;
    CpuRegisters& regs_;
    KitDevices& devices_;
    std::uint8_t& lastKey_;
    bool& hwTimerEnabled_;
};

}  // namespace tarvix
