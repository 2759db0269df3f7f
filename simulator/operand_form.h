// What the executors read off one operand's text, read once when its line is decoded: a
// register name, a number, a memory reference as its registers and displacement, a size
// prefix. Only what depends on run-time values (an address, its place in the memory window)
// is left to evaluate when the instruction executes.
#pragma once

#include <cstdint>
#include <string_view>

#include "simulator/cpu_registers.h"

namespace tarvix {

struct OperandForm {
    std::uint8_t registerSize = 0;  // 1 or 2 for a register name, else 0
    std::uint8_t registerCode = 0;  // its 8086 number
    bool isEmpty = true;
    bool isNumber = false;         // bare hexadecimal digits
    bool isMemory = false;         // written with a "["
    std::uint8_t pointerSize = 0;  // BYTE PTR or BPTR 1, WORD PTR or WPTR 2, else 0
    // A bracketed reference that names an address; any other reference is a format error.
    bool hasAddress = false;
    std::int8_t base = -1;  // register numbers added into the address, -1 for none
    std::int8_t index = -1;
    std::uint16_t displacement = 0;  // with no register, the address itself
    std::uint16_t number = 0;        // the text read as a number, digits or not

    static OperandForm read(std::string_view text);
    static constexpr OperandForm immediate(std::uint16_t value) {
        OperandForm form;
        form.isEmpty = false;
        form.isNumber = true;
        form.number = value;
        return form;
    }

    Reg16 word() const { return static_cast<Reg16>(registerCode); }
    Reg8 byte() const { return static_cast<Reg8>(registerCode); }
    bool is(Reg16 r) const { return registerSize == 2 && word() == r; }
    bool is(Reg8 r) const { return registerSize == 1 && byte() == r; }
};

}  // namespace tarvix
