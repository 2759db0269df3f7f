// printf-style formatting into a std::string, for the kit's fixed text formats, and appenders
// that give the same text as a few conversions for the paths that write a line per statement.
#pragma once

#include <string>
#include <string_view>

namespace tarvix {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What "%s" prints of a text: the bytes before its first NUL.
inline std::string_view printedText(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// "%-*s" and "%*s": the printed text, padded with spaces to `width` after or before it. Inline,
// as every list line is made with them.
inline void appendLeftAligned(std::string& out, std::string_view text, std::size_t width) {
    const std::string_view printed = printedText(text);
    out += printed;
    if (printed.size() < width) {
        out.append(width - printed.size(), ' ');
    }
}
inline void appendRightAligned(std::string& out, std::string_view text, std::size_t width) {
    const std::string_view printed = printedText(text);
    if (printed.size() < width) {
        out.append(width - printed.size(), ' ');
    }
    out += printed;
}

// "%0*X" of the low `digits` hexadecimal digits.
void appendHex(std::string& out, unsigned value, int digits);

// "%02X " of the low byte: the list file's byte text, a byte at a time.
void appendHexByte(std::string& out, unsigned value);

// "%d".
void appendDecimal(std::string& out, int value);

}  // namespace tarvix
