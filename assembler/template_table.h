// Every instruction form the assembler knows: the key (mnemonic and operand classes), the
// 8086 bit pattern in a small field notation, and the size in bytes with an 8-bit immediate
// and no displacement. Adding a form to the assembler means adding a row.
//
// Pattern fields: w size bit, y sign-extension bit, reg, mod, r/m (followed by displacement
// bytes), data, addr, port, tipe (interrupt type), ">><<" marks a shift or rotate. Rows of
// jumps, calls and loops to labels hold the opcode byte in hexadecimal instead.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "assembler/bit_pattern.h"

namespace tarvix {

struct InstructionTemplate {
    std::string_view formName;  // "mov_reg16/imm", "aaa_", ...; empty ends the table
    std::string_view bitPattern;
    int baseSize;
    unsigned fields = fieldsIn(bitPattern);  // the named fields of the pattern
};

inline constexpr std::size_t kTemplateCount = 365;

// Grouped by the initial letter of the key, groups in alphabetical order, ended by a row
// with no key.
extern const std::array<InstructionTemplate, kTemplateCount + 1> kTemplateTable;

// Entry k is the first row whose key starts with letter k ('a' = 0), entry k + 1 the row
// after that letter's group; entry 26 is the number of rows.
using LetterIndex = std::array<std::size_t, 27>;
LetterIndex buildLetterIndex();

// The row in [first, last) whose key equals `key` ignoring case, or null.
const InstructionTemplate* findRow(std::string_view key, std::size_t first, std::size_t last);

// The row of the whole table whose key equals `key` ignoring case, or null, found by hash.
const InstructionTemplate* findForm(std::string_view key);

}  // namespace tarvix
