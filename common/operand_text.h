// The one rule for numbers and register names, shared by the assembler and the simulator.
// Numbers are bare hexadecimal digits; registers are the eight word and eight byte registers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvix {

// True when the text, after dropping leading zeros (keeping at least two characters), is all
// hexadecimal digits. "80h", "0x80" and "" are not numbers.
bool isHexNumber(std::string_view text);

// Reads leading hexadecimal digits after optional spaces and one sign; the value is taken
// modulo 10000H and "-" gives the two's complement. No digits give 0.
std::uint16_t parseHex(std::string_view text);

// A register name's size in bytes (0 when the text is no register name) and its 8086 register
// number: AX/AL 0, CX/CL 1, DX/DL 2, BX/BL 3, SP/AH 4, BP/CH 5, SI/DH 6, DI/BH 7.
struct RegisterRef {
    int size = 0;
    int code = 0;
};
RegisterRef registerRef(std::string_view text);

// 2 for AX..SP, 1 for AL..DH, 0 otherwise. The whole text must be the name.
int registerSize(std::string_view text);

// 2 for AX, 1 for AL, 0 otherwise.
int accumulatorSize(std::string_view text);

// The three-bit register number as "000".."111"; "reg" for anything else, so substituting it
// into a pattern leaves the pattern as it was.
std::string registerCode(std::string_view text);

bool hasBracket(std::string_view text);

}  // namespace tarvix
