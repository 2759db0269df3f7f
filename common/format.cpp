#include "common/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

namespace tarvix {

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

void appendHex(std::string& out, unsigned value, int digits) {
    // Digits gathered first and appended at once: every list line starts with an address.
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::array<char, 8> text{};
    const auto count = static_cast<std::size_t>(std::clamp(digits, 0, 8));
    for (std::size_t i = count; i > 0; --i, value >>= 4u) {
        text[i - 1] = kDigits[value & 0xFu];
    }
    out.append(text.data(), count);
}

void appendHexByte(std::string& out, unsigned value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    const std::array<char, 3> text = {kDigits[(value >> 4u) & 0xFu], kDigits[value & 0xFu], ' '};
    out.append(text.data(), text.size());
}

void appendDecimal(std::string& out, int value) {
    char digits[16];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end.ptr);
}

}  // namespace tarvix
