// The setup of a batch run: bytes put into memory and values into registers once the program is
// loaded, before its first instruction. tarvix-run's --poke and --set give it, and so do the
// grader's task files, through the same readers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/cpu_registers.h"
#include "simulator/kit.h"

namespace tarvix {

struct MemoryBytes {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
};

struct RegisterSetting {
    Reg16 reg = Reg16::AX;
    std::uint16_t value = 0;
};

struct KitSetup {
    std::vector<MemoryBytes> memory;
    std::vector<RegisterSetting> registers;
};

// Bare hexadecimal digits, as the kit writes numbers, up to `maxValue`.
std::optional<unsigned> parseHexValue(std::string_view text, unsigned maxValue);

// "01 02 03" or "01,02,03": at least one byte of one or two hexadecimal digits.
std::optional<std::vector<std::uint8_t>> parseByteList(std::string_view text);

// An address of the memory window and bytes that fit in the window from it.
std::optional<MemoryBytes> parseMemoryBytes(std::string_view address, std::string_view bytes);

// AX, BX, CX, DX, SI, DI, BP or SP, in any case.
std::optional<Reg16> parseSetupRegister(std::string_view name);

// Writes the setup into the kit, whose program is loaded. When a byte would go over the
// program's own, nothing is written and the refusal's text is returned; empty otherwise.
std::string applySetup(const KitSetup& setup, Kit& kit);

}  // namespace tarvix
