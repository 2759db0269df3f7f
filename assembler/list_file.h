// The assembler's text formats: the intermediate file of pass one, the run-mode list file the
// loader reads back, and the listing-mode file shown to the user. Every line a writer ends is
// ended with CR LF; readers accept CR LF or LF.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

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

// A jump, call or loop with its displacement filled in:
// address, opcode, displacement left-aligned in 17 columns, then the rest of the line.
std::string resolvedJumpLine(std::string_view address, std::string_view opcode,
                             std::string_view displacement, std::string_view rest);

}  // namespace tarvix
