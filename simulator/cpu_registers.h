// The register file of the kit's 8086: eight byte registers (AX..DX are pairs of them), SI,
// DI, BP, SP and FLAGS. There are no segment registers; every segment is 0000H.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/message_box.h"
#include "common/operand_text.h"

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

class CpuRegisters {
public:
    virtual ~CpuRegisters() = default;

    std::uint8_t AL = 0, BL = 0, CL = 0, DL = 0;
    std::uint8_t AH = 0, BH = 0, CH = 0, DH = 0;
    std::uint16_t SI = 0, DI = 0, BP = 0;
    std::uint16_t SP = kStackTop;
    std::uint16_t FLAGS = 0;

    // Where the "Err124"/"Err125" reports go; none drops them.
    void setMessageBoxSink(MessageBoxSink* boxes) { boxes_ = boxes; }

    // Access by name, any case. An unknown name is an internal fault: "Err124" for the byte
    // registers, "Err125" for the word registers; reads then yield 0 and writes fail.
    std::uint8_t getReg8(std::string_view name);
    bool setReg8(std::string_view name, std::uint8_t value);
    std::uint16_t getReg16(std::string_view name);
    bool setReg16(std::string_view name, std::uint16_t value);

    std::uint16_t flags() const { return FLAGS; }
    void setFlag(std::uint16_t mask, bool on);
    bool testFlag(std::uint16_t mask) const { return (FLAGS & mask) != 0; }
    // Every bit from the value except IF, which keeps its state.
    void loadFlagsKeepIF(std::uint16_t value);

    void reset();

    // The register of an 8086 register number (reg field): AL, CL, DL, BL, AH, CH, DH, BH for
    // bytes, AX, CX, DX, BX, SP, BP, SI, DI for words.
    std::uint8_t& byteRegister(int code);
    std::uint16_t word(int code) const;
    void setWord(int code, std::uint16_t value);

private:
    void report(std::string_view text);

    MessageBoxSink* boxes_ = nullptr;
};

}  // namespace tarvix
