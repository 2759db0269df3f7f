// printf-style formatting into a std::string, for the kit's fixed text formats, and appenders
// that give the same text as a few conversions for the paths that write a line per statement.
#pragma once

#include <string>
#include <string_view>

namespace tarvix {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What "%s" prints of a text: the bytes before its first NUL.
std::string_view printedText(std::string_view text);

// "%-*s" and "%*s": the printed text, padded with spaces to `width` after or before it.
void appendLeftAligned(std::string& out, std::string_view text, std::size_t width);
void appendRightAligned(std::string& out, std::string_view text, std::size_t width);

// "%0*X" of the low `digits` hexadecimal digits.
void appendHex(std::string& out, unsigned value, int digits);

// "%02X " of the low byte: the list file's byte text, a byte at a time.
void appendHexByte(std::string& out, unsigned value);

// "%d".
void appendDecimal(std::string& out, int value);

}  // namespace tarvix
