// The assembler's text formats: the intermediate file of pass one, the run-mode list file the
// loader reads back, and the listing-mode file shown to the user. Every line a writer ends is
// ended with CR LF; readers accept CR LF or LF.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "assembler/template_table.h"

namespace tarvix {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kIntermediateFileName = "_tmp_pass1_.lst";
inline constexpr std::string_view kApplicationTitle = "Tarvix v1.0";

// The 49-dash separator line, without its line end.
std::string separatorLine();

// The source path up to the last "." of its file name, then ".lst"; empty when the file name
// has no ".".
std::string listFilePath(std::string_view sourcePath);

// The five header lines of a listing, each with its line end, stamped with a local time.
std::string listingHeader(const std::tm& t);

// Appends one body line of a listing, with its line end: address, bytes right-aligned, label
// and the instruction with a tab between mnemonic and operands, upper case.
void appendListingLine(std::string& out, std::string_view intermediateLine);

// Appends one intermediate line as the list file shows it, with its line end: in run mode as
// it is, in listing mode through appendListingLine.
void appendListLine(std::string& out, std::string_view intermediateLine, bool listingMode);

// An intermediate line holding "#1", cut as pass two cuts it: the address is its first four
// characters, the mnemonic lies between "#1" and "#2", the target between "#2" and "#3", and
// the rest follows "#3". A jump, call or loop to a label is written so.
struct JumpLine {
    std::string_view address;
    std::string_view mnemonic;
    std::string_view target;
    std::string_view rest;
};
JumpLine splitJumpLine(std::string_view intermediateLine);

// Appends the list line of a jump resolved to `targetAddress` through `row`, the template of
// its mnemonic: the address, the opcode, the displacement from the end of the instruction
// (one byte for two-byte rows, else a word, low byte first) left-aligned in 17 columns, and
// the rest of the line.
void appendResolvedJump(std::string& out, const JumpLine& jump, const InstructionTemplate& row,
                        std::uint16_t targetAddress, bool listingMode);

}  // namespace tarvix
