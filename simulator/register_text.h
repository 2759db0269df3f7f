// The register pane's four lines and the RAM view's rows, as the kit prints them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "simulator/cpu_registers.h"

namespace tarvix {

// "Ax= 1234 Bx= ...", "Dx= ...", "IP= 100a Sp= ..." (the IP in lower case) and FLAGS in binary
// without bit 1.
std::array<std::string, 4> registerLines(const CpuRegisters& regs, std::uint16_t ip);

inline constexpr const char* kFlagsLegend = "----ODI-SZ-A-P-C";

// "1041:   41   65  A", or "NUL" in the last column for a zero byte.
std::string memoryRowText(std::uint16_t address, std::uint8_t value);

}  // namespace tarvix
