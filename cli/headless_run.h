// One program run headless, as the Run (or Step) command runs it, and its report: what
// tarvix-run prints and what the grader checks, made by the same code so that the two never
// disagree about a program.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/batch_devices.h"
#include "cli/kit_setup.h"
#include "simulator/kit_clock.h"
#include "simulator/kit_memory.h"

namespace tarvix {

struct RunRequest {
    std::string path;
    // The wall-time limit counts from here, the assembly included.
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::uint64_t maxSteps = 0;  // 0: no limit
    double timeoutSeconds = 0;   // 0: no limit
    std::string keys;
    std::uint64_t keyInterval = 1000;
    bool hwTimer = false;
    int megahertz = KitClock::kDefaultMegahertz;
    BatchTerminal terminal = BatchTerminal::Socket;
    bool step = false;
    std::vector<int> breakpoints;  // 1-based lines
    KitSetup setup;
    // Each executed line with the registers after it, as --trace prints it.
    std::function<void(std::string_view)> trace;
};

struct RegisterValue {
    const char* name;
    std::uint16_t value;
};

struct RunReport {
    // Why the run could not be made as asked (an unreadable source, a breakpoint past the
    // end, setup over the program); nothing else is filled in then.
    std::string refusal;
    // Why the terminal is missing, when it was wanted.
    std::string terminalProblem;
    // The source or its list file could not be read or written.
    bool fileError = false;
    std::string status;  // halted, error, limit or breakpoint
    bool timedOut = false;
    std::string pane;
    std::uint64_t instructions = 0;
    std::uint64_t cycles = 0;
    std::uint64_t kitMicroseconds = 0;
    int line = 0;                          // 1-based
    std::vector<RegisterValue> registers;  // AX, BX, CX, DX, SI, DI, BP, SP, IP, FLAGS
    std::array<std::uint8_t, kMemorySize> memory{};
    std::string devicesJson;
    std::vector<std::string> deviceLines;
    std::array<std::string, 4> registerLines;  // in the register pane's format
};

RunReport runHeadless(const RunRequest& request);

using AddressRange = std::pair<std::uint16_t, std::uint16_t>;

// The bytes of an inclusive range, as "B8 34 12".
std::string memoryText(const RunReport& report, AddressRange range);

// tarvix-run's JSON report, on one line.
std::string reportJson(const RunReport& report, const std::optional<AddressRange>& memory);

}  // namespace tarvix
