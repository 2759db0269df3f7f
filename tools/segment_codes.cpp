#include "tools/segment_codes.h"

#include <optional>
#include <string_view>

#include "common/format.h"

namespace tarvix {

namespace {

// The codes of common-anode displays, where a 0 bit lights the segment.
constexpr std::array<std::uint8_t, 16> kActiveLowDigits{
    0xC0, 0xF9, 0xA4, 0xB0, 0x99, 0x92, 0x82, 0xF8, 0x80, 0x90, 0x88, 0x83, 0xC6, 0xA1, 0x86, 0x8E};

}  // namespace

std::uint8_t digitSegmentCode(int digit) {
    return static_cast<std::uint8_t>(~kActiveLowDigits.at(static_cast<std::size_t>(digit)) & 0x7F);
}

std::string digitTableText() {
    std::string text = "Num Code\n";
    for (int digit = 0; digit < 16; ++digit) {
        text += formatText("%2X  %02X\n", static_cast<unsigned>(digit),
                           static_cast<unsigned>(digitSegmentCode(digit)));
    }
    return text;
}

std::uint8_t segmentCode(const std::array<bool, kSegmentCount>& lit) {
    unsigned code = 0;
    for (int bit = 0; bit < kSegmentCount; ++bit) {
        if (lit[static_cast<std::size_t>(bit)]) {
            code |= 1u << bit;
        }
    }
    return static_cast<std::uint8_t>(code);
}

std::string displayText(std::span<const std::uint8_t> codes) {
    constexpr std::uint8_t kPoint = 0x80;
    constexpr std::uint8_t kMiddleBar = 0x40;
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t code : codes) {
        const auto shape = static_cast<std::uint8_t>(code & ~kPoint);
        std::optional<char> shown;
        if (shape == 0) {
            shown = ' ';
        } else if (shape == kMiddleBar) {
            shown = '-';
        }
        for (int digit = 0; digit < 16 && !shown; ++digit) {
            if (digitSegmentCode(digit) == shape) {
                shown = kHexDigits[static_cast<std::size_t>(digit)];
            }
        }
        if (!shown) {
            text += formatText("[%02XH]", static_cast<unsigned>(code));
            continue;
        }
        text += *shown;
        if ((code & kPoint) != 0) {
            text += '.';
        }
    }
    return text;
}

std::string codeHexText(std::uint8_t code) {
    return formatText("%02X H", static_cast<unsigned>(code));
}

std::string codeBinaryText(std::uint8_t code) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits += (code >> bit) & 1 ? '1' : '0';
    }
    return bits + " B";
}

}  // namespace tarvix
