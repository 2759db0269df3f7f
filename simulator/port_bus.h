// The kit's I/O bus: IN and OUT through AL over the fixed port map, and the connect statement
// that plugs devices (panels) in while a program runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/output_pane.h"
#include "devices/kit_devices.h"
#include "simulator/cpu_registers.h"
#include "simulator/operand_form.h"

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

    // IN, OUT and connect statements executed, for Step Back, which cannot take back what
    // they did to a device.
    std::uint64_t accesses = 0;

    // OUT port,AL and OUT DX,AL (isIn false); IN AL,port and IN AL,DX (isIn true). False after
    // reporting why the run must stop.
    bool execInOut(bool isIn, const OperandForm& dest, const OperandForm& source);

    // The device a connect statement names, or -1.
    static int deviceNamed(std::string_view name);
    // Shows a device's panel, starts the terminal or connects the 1 Hz timer; an unknown
    // device (-1) is reported and the run goes on.
    void connect(int device);

private:
    bool portOperand(const OperandForm& operand, std::uint16_t& port);
    bool out(std::uint16_t port);
    bool in(std::uint16_t port);

    OutputPane& pane_;
    CpuRegisters& regs_;
    KitDevices& devices_;
    std::uint8_t& lastKey_;
    bool& hwTimerEnabled_;
};

}  // namespace tarvix
