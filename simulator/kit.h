// One training kit: the assembler with its labels, the processor with its memory, the
// program image and the line-based instruction pointer they share.
#pragma once

#include <cstdint>

#include "assembler/assembler8086.h"
#include "common/output_pane.h"
#include "simulator/cpu8086.h"
#include "simulator/program_image.h"

namespace tarvix {

class Kit {
public:
    explicit Kit(OutputPane& outputPane)
        : pane(outputPane),
          assembler(outputPane, &currentLine),
          cpu(outputPane, image, currentLine, assembler.symbols()) {}

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
};

}  // namespace tarvix
