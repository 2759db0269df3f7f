// The kit's RAM: the 4 KB window 1000H..1FFFH, little-endian words that may not start at
// 1FFFH, and writes into the running program's own bytes refused.
#pragma once

#include <array>
#include <cstdint>

#include "common/output_pane.h"
#include "simulator/program_image.h"

namespace tarvix {

inline constexpr std::uint16_t kMemoryFirst = 0x1000;
inline constexpr std::size_t kMemorySize = 0x1000;

class KitMemory {
public:
    KitMemory(OutputPane& pane, const ProgramImage& image) : pane_(pane), image_(image) {}
    virtual ~KitMemory() = default;

    // Set by every successful write; whoever repaints the RAM view clears it.
    bool modified = false;

    static bool isValidAddress(std::uint16_t address, bool isByte);

    // Outside the window: 61209 with the line number, and 0.
    std::uint8_t readByte(std::uint16_t address);
    std::uint16_t readWord(std::uint16_t address);

    // Outside the window: 61209; into the program's code: 61236; either way nothing written.
    bool writeByte(std::uint16_t address, std::uint8_t value);
    bool writeWord(std::uint16_t address, std::uint16_t value);

    // Zeroes every byte when `really`; a CPU reset passes false and memory keeps its content.
    void clear(bool really);

    const std::array<std::uint8_t, kMemorySize>& bytes() const { return bytes_; }

private:
    bool writable(std::uint16_t address);

    OutputPane& pane_;
    const ProgramImage& image_;
    std::array<std::uint8_t, kMemorySize> bytes_{};
};

}  // namespace tarvix
