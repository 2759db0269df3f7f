// Splits one source line into the fields of a statement: label, mnemonic, two operands and the
// BPTR/WPTR size keyword. The scanner reports nothing; the first pass checks its result.
#pragma once

#include <string>
#include <string_view>

#include "assembler/statement.h"

namespace tarvix {

// True when the line is a statement for the assembler (instruction, label, procedure header,
// DB/DW line); false when it produces nothing (empty, comment, ENDP, connect).
bool scanLine(std::string_view line, Statement& statement);

// The line as the list file shows it: trimmed, cut at the first ";", case as typed.
std::string listingText(std::string_view line);

}  // namespace tarvix
