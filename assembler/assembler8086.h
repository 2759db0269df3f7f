// The assembler object: the statement being assembled, the location counter and the template
// index, with the per-statement steps of the first pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "assembler/statement.h"
#include "assembler/template_table.h"
#include "common/output_pane.h"

namespace tarvix {

inline constexpr std::uint16_t kProgramOrigin = 0x1000;

class Assembler8086 {
  public:
    explicit Assembler8086(OutputPane& pane);

    Statement statement;
    std::uint16_t locationCounter = kProgramOrigin;

    // Classifies the operands, finds the row for the key (retrying accumulator operands as
    // plain registers), takes its pattern and adds its size to the location counter.
    bool findTemplate();

    // Sets class1, class2 and, for register operands, operandSize; returns the key suffix.
    std::string classifyOperands();

    // Fills "mod" and "r/m" from a register or memory operand, with displacement bytes.
    bool encodeRegOrMem(std::string_view operand);

    // Fills every field of the pattern; false when the statement cannot be encoded.
    bool encodeStatement();

    // The first pass's steps for one instruction: template, size check, encoding, the size
    // bit from BPTR/WPTR, the REP prefix. Reports a refusal with the line number.
    bool assembleInstruction(std::string& byteText);

    // Refuses a label with spaces or of ten or more characters, with the line number.
    bool checkLabel();

    // Bytes a jump, call or loop to a label takes (2 or 3), or 0 when the statement is not
    // one: calls and jumps through a register or memory are ordinary instructions.
    int labelJumpSize() const;

    // A DB or DW line: its byte text, advancing the location counter. False when the
    // statement is not a data directive.
    bool defineDataBytes(std::string_view line, std::string& byteText);

    // The first pass's steps on one statement at the current location counter, outside any
    // source: its byte text, or empty for a line that produces no bytes (comment, label).
    // A jump to a label cannot be resolved here and is refused as an unknown symbol.
    bool encodeSingleStatement(std::string_view line, std::string& byteText);

    const LetterIndex& letterIndex() const { return letterIndex_; }

  private:
    OutputPane& pane_;
    LetterIndex letterIndex_;
};

// The list file's byte text: each full group of eight bits as "%02X ".
std::string patternToBytes(std::string_view pattern);

}  // namespace tarvix
