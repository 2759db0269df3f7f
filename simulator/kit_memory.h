// The kit's RAM: the 4 KB window 1000H..1FFFH, little-endian words that may not start at
// 1FFFH, and writes into the running program's own bytes refused.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/output_pane.h"
#include "simulator/program_image.h"

namespace tarvix {

inline constexpr std::uint16_t kMemoryFirst = 0x1000;
inline constexpr std::size_t kMemorySize = 0x1000;

class KitMemory {
public:
    KitMemory(OutputPane& pane, const ProgramImage& image) : pane_(pane), image_(image) {}

    // Set by every successful write; whoever repaints the RAM view clears it.
    bool modified = false;
    // Words read or written at an odd address, which take the 8086's bus twice; for timing.
    std::uint64_t oddWordTransfers = 0;
    // Every write that changed memory, a program's or a student's edit: Step Back looks for
    // what changed only when it moved.
    std::uint64_t writes = 0;
    std::uint16_t lastWrite = kMemoryFirst;  // the address the last of them wrote at

    static bool isValidAddress(std::uint16_t address, bool isByte) {
        return address >= kMemoryFirst && address < (isByte ? 0x2000 : 0x1FFF);
    }

    // Outside the window: 61209 with the line number, and 0.
    std::uint8_t readByte(std::uint16_t address) {
        if (!isValidAddress(address, true)) {
            return refuseRead();
        }
        return bytes_[offset(address)];
    }
    std::uint16_t readWord(std::uint16_t address) {
        if (!isValidAddress(address, false)) {
            return refuseRead();
        }
        countOddWord(address);
        return static_cast<std::uint16_t>(bytes_[offset(address)] | bytes_[offset(address) + 1]
                                                                        << 8);
    }

    // Outside the window: 61209; into the program's code: 61236; either way nothing written.
    bool writeByte(std::uint16_t address, std::uint8_t value) {
        if (!isValidAddress(address, true) || image_.isCode(address)) {
            return refuseWrite(address, true);
        }
        ++writes;
        lastWrite = address;
        bytes_[offset(address)] = value;
        modified = true;
        return true;
    }
    bool writeWord(std::uint16_t address, std::uint16_t value) {
        const auto next = static_cast<std::uint16_t>(address + 1);
        if (!isValidAddress(address, false) || image_.isCode(address) || image_.isCode(next)) {
            return refuseWrite(address, false);
        }
        countOddWord(address);
        ++writes;
        lastWrite = address;
        bytes_[offset(address)] = static_cast<std::uint8_t>(value & 0xFF);
        bytes_[offset(address) + 1] = static_cast<std::uint8_t>(value >> 8);
        modified = true;
        return true;
    }

    // A byte the student typed while the program waits: kept or refused by the rules of a
    // program's write, but a refusal is only handed back, with the message the write would have
    // had; nothing is reported, so the run it was typed in goes on.
    std::optional<MessageId> editByte(std::uint16_t address, std::uint8_t value);

    // Puts back a byte as it was before a line; Step Back undoes only what the rules let a
    // line write.
    void restoreByte(std::uint16_t address, std::uint8_t value) {
        bytes_[offset(address)] = value;
        modified = true;
    }

    // Zeroes every byte when `really`; a CPU reset passes false and memory keeps its content.
    void clear(bool really);

    const std::array<std::uint8_t, kMemorySize>& bytes() const { return bytes_; }

private:
    // A branch, not an add of the low bit: words are almost always even, and the count then
    // costs no write.
    void countOddWord(std::uint16_t address) {
        if ((address & 1U) != 0) [[unlikely]] {
            ++oddWordTransfers;
        }
    }
    static std::size_t offset(std::uint16_t address) {
        return static_cast<std::size_t>(address - kMemoryFirst);
    }
    // The reports of a refused access, out of the way of the accesses that succeed.
    std::uint8_t refuseRead();
    bool refuseWrite(std::uint16_t address, bool isByte);
    // Why a write there is refused; inside the window only for landing on code.
    static MessageId refusal(std::uint16_t address, bool isByte) {
        return isValidAddress(address, isByte) ? MessageId::CannotReplaceOpcode
                                               : MessageId::AddressOutsideMemory;
    }

    OutputPane& pane_;
    const ProgramImage& image_;
    std::array<std::uint8_t, kMemorySize> bytes_{};
};

}  // namespace tarvix
