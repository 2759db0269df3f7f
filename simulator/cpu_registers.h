// The register file of the kit's 8086: eight word registers indexed by their 8086 numbers, the
// low and high bytes of AX..DX as byte views of them, and FLAGS. There are no segment
// registers; every segment is 0000H.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>

#include "common/message_box.h"

namespace tarvix {

// FLAGS bits, at the 8086's positions.
inline constexpr std::uint16_t kCarryFlag = 0x0001;
inline constexpr std::uint16_t kParityFlag = 0x0004;
inline constexpr std::uint16_t kAuxCarryFlag = 0x0010;
inline constexpr std::uint16_t kZeroFlag = 0x0040;
inline constexpr std::uint16_t kSignFlag = 0x0080;
inline constexpr std::uint16_t kTrapFlag = 0x0100;
inline constexpr std::uint16_t kInterruptFlag = 0x0200;
inline constexpr std::uint16_t kDirectionFlag = 0x0400;
inline constexpr std::uint16_t kOverflowFlag = 0x0800;

inline constexpr std::uint16_t kStackTop = 0x2000;

// In the order of the 8086's register numbers (the reg field of an instruction).
enum class Reg16 : std::uint8_t { AX, CX, DX, BX, SP, BP, SI, DI };
enum class Reg8 : std::uint8_t { AL, CL, DL, BL, AH, CH, DH, BH };

class CpuRegisters {
public:
    std::uint16_t FLAGS = 0;

    std::uint16_t& operator[](Reg16 r) { return words_[static_cast<std::size_t>(r)]; }
    std::uint16_t operator[](Reg16 r) const { return words_[static_cast<std::size_t>(r)]; }
    // AL..BL are the low bytes of AX..BX, AH..BH their high bytes.
    std::uint8_t& operator[](Reg8 r) { return bytes()[byteOffset(r)]; }
    std::uint8_t operator[](Reg8 r) const {
        const auto code = static_cast<unsigned>(r);
        return static_cast<std::uint8_t>(words_[code & 3] >> (code >> 2) * 8);
    }

    // Where the "Err124"/"Err125" reports go; none drops them.
    void setMessageBoxSink(MessageBoxSink* boxes) { boxes_ = boxes; }

    // Access by name, any case. An unknown name is an internal fault: "Err124" for the byte
    // registers, "Err125" for the word registers; reads then yield 0 and writes fail.
    std::uint8_t getReg8(std::string_view name);
    bool setReg8(std::string_view name, std::uint8_t value);
    std::uint16_t getReg16(std::string_view name);
    bool setReg16(std::string_view name, std::uint16_t value);
    // The fault of a name that is no register of this size (1 or 2 bytes); always false.
    bool reportUnknownRegister(int size);

    std::uint16_t flags() const { return FLAGS; }
    void setFlag(std::uint16_t mask, bool on) {
        FLAGS = static_cast<std::uint16_t>(on ? FLAGS | mask : FLAGS & ~mask);
    }
    bool testFlag(std::uint16_t mask) const { return (FLAGS & mask) != 0; }
    // Every bit from the value except IF, which keeps its state.
    void loadFlagsKeepIF(std::uint16_t value) {
        FLAGS = static_cast<std::uint16_t>((value & ~kInterruptFlag) | (FLAGS & kInterruptFlag));
    }

    void reset();

private:
    // The byte views rely on the host storing a word's low byte first.
    static_assert(std::endian::native == std::endian::little);

    std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(words_.data()); }
    static std::size_t byteOffset(Reg8 r) {
        const auto code = static_cast<std::size_t>(r);
        return (code & 3) * 2 + (code >> 2);
    }

    std::array<std::uint16_t, 8> words_{0, 0, 0, 0, kStackTop, 0, 0, 0};
    MessageBoxSink* boxes_ = nullptr;
};

}  // namespace tarvix
