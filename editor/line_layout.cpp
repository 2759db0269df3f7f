#include "editor/line_layout.h"

#include <algorithm>
#include <cstdint>

namespace tarvix {

namespace {

// The length of a valid UTF-8 sequence at `bytes[i]` and its code point, or 0.
int utf8Sequence(std::string_view bytes, std::size_t i, char32_t& codePoint) {
    const auto byteAt = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    const std::uint8_t lead = byteAt(i);
    int length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + static_cast<std::size_t>(length) > bytes.size()) {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = byteAt(i + static_cast<std::size_t>(k));
        if ((next & 0xC0u) != 0x80u) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const char32_t smallest = length == 2 ? 0x80 : (length == 3 ? 0x800 : 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < smallest || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

LineLayout::LineLayout(std::string_view bytes, int tabSize) {
    tabSize = std::max(tabSize, 1);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const int byte = static_cast<int>(i);
        const auto value = static_cast<std::uint8_t>(bytes[i]);
        char32_t codePoint = 0;
        if (value == '\t') {
            const int column = columns_.empty() ? 0 : columns_.back();
            const int spaces = tabSize - column % tabSize;
            append(byte, std::u32string(static_cast<std::size_t>(spaces), U' '), spaces);
            ++i;
        } else if (const int length = utf8Sequence(bytes, i, codePoint); length > 0) {
            append(byte, std::u32string(1, codePoint), 1);
            i += static_cast<std::size_t>(length);
        } else {
            // Control bytes have no glyph: a middle dot keeps the column visible.
            const char32_t shown = value < 0x20 || value == 0x7F ? U'\u00B7' : char32_t{value};
            append(byte, std::u32string(1, shown), 1);
            ++i;
        }
    }
    if (bytes_.empty()) {
        columns_.push_back(0);
        textIndex_.push_back(0);
    }
    bytes_.push_back(static_cast<int>(bytes.size()));
}

void LineLayout::append(int byte, const std::u32string& shown, int columns) {
    // columns_ and textIndex_ hold one element more than bytes_: the running totals.
    if (columns_.empty()) {
        columns_.push_back(0);
        textIndex_.push_back(0);
    }
    bytes_.push_back(byte);
    text_ += shown;
    columns_.push_back(columns_.back() + columns);
    textIndex_.push_back(static_cast<int>(text_.size()));
}

int LineLayout::characterAt(int byte) const {
    const auto after = std::upper_bound(bytes_.begin(), bytes_.end(), byte);
    const int index = static_cast<int>(after - bytes_.begin()) - 1;
    return std::clamp(index, 0, characterCount());
}

int LineLayout::byteOf(int character) const {
    return bytes_[static_cast<std::size_t>(std::clamp(character, 0, characterCount()))];
}

int LineLayout::columnOf(int character) const {
    return columns_[static_cast<std::size_t>(std::clamp(character, 0, characterCount()))];
}

int LineLayout::characterNearColumn(double column) const {
    for (int i = 0; i < characterCount(); ++i) {
        const double middle = (columnOf(i) + columnOf(i + 1)) / 2.0;
        if (column < middle) {
            return i;
        }
    }
    return characterCount();
}

std::u32string LineLayout::text(int first, int end) const {
    first = std::clamp(first, 0, characterCount());
    end = std::clamp(end, first, characterCount());
    const auto from = static_cast<std::size_t>(textIndex_[static_cast<std::size_t>(first)]);
    const auto to = static_cast<std::size_t>(textIndex_[static_cast<std::size_t>(end)]);
    return text_.substr(from, to - from);
}

}  // namespace tarvix
