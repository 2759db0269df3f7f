// One training kit: the assembler with its labels, the processor with its memory, the
// program image and the line-based instruction pointer they share, and the peripheral chips
// on the port bus.
#pragma once

#include <cstdint>
#include <memory>

#include "assembler/assembler8086.h"
#include "common/output_pane.h"
#include "devices/kit_devices.h"
#include "simulator/cpu8086.h"
#include "simulator/port_bus.h"
#include "simulator/program_image.h"

namespace tarvix {

class Kit {
public:
    // A kit whose devices nobody watches: recorded panels and sound, no terminal.
    explicit Kit(OutputPane& outputPane)
        : Kit(outputPane, std::make_unique<HeadlessDeviceHost>(), nullptr) {}

    // A kit whose devices the front end shows.
    Kit(OutputPane& outputPane, const DeviceHost& deviceHost)
        : Kit(outputPane, nullptr, &deviceHost) {}

    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    OutputPane& pane;
    int currentLine = 0;  // 0-based index of the next source line to execute
    Assembler8086 assembler;
    ProgramImage image;
    Cpu8086 cpu;
    std::uint8_t lastKey = 0;
    bool hwTimerEnabled = false;
    // Instructions since the last screen refresh of a Run; kept across runs.
    int refreshCounter = 0;

private:
    Kit(OutputPane& outputPane, std::unique_ptr<HeadlessDeviceHost> headless,
        const DeviceHost* deviceHost)
        : pane(outputPane),
          assembler(outputPane, &currentLine),
          cpu(outputPane, image, currentLine, assembler.symbols()),
          headless_(std::move(headless)),
          devices(outputPane, deviceHost ? *deviceHost : headless_->host()),
          ports(outputPane, cpu.regs, devices, lastKey, hwTimerEnabled) {}

    std::unique_ptr<HeadlessDeviceHost> headless_;  // owns the devices' host when none is given

public:
    KitDevices devices;
    PortBus ports;
};

}  // namespace tarvix
