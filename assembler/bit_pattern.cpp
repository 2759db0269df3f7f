#include "assembler/bit_pattern.h"

#include <algorithm>

#include "common/format.h"
#include "common/text.h"

namespace tarvix {

void BitPattern::assign(std::string_view text, unsigned fields) {
    text_ = text;
    fields_ = fields;
}

void BitPattern::fill(Field field, std::string_view bits) {
    if (!has(field)) {
        return;
    }
    const std::string_view name = fieldName(field);
    if (const std::size_t at = text_.find(name); at != std::string::npos) {
        text_.replace(at, name.size(), bits);
    }
    // Only a register code that is no register ("reg") leaves the name where it was.
    if (bits.find(name) == std::string_view::npos) {
        fields_ &= ~static_cast<unsigned>(field);
    }
}

void BitPattern::finish(bool word) {
    std::erase(text_, ' ');
    for (char& c : text_) {
        c = asciiUpper(c);
        if (c == 'W') {
            c = word ? '1' : '0';
        }
    }
    fields_ = 0;
}

namespace {

// "%02X " for each full group of eight characters that `bitOf` reads as 0 or 1; a character it
// reads as -1 is passed over.
template <typename BitOf>
void appendGroups(std::string& out, std::string_view text, BitOf bitOf) {
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        const int bit = bitOf(c);
        if (bit < 0) {
            continue;
        }
        value = (value << 1u) | static_cast<unsigned>(bit);
        if (++bits == 8) {
            appendHexByte(out, value);
            value = 0;
            bits = 0;
        }
    }
}

}  // namespace

void BitPattern::appendBytes(std::string& out) const {
    appendGroups(out, text_, [](char c) { return c == '1' ? 1 : 0; });
}

void BitPattern::appendFinishedBytes(std::string& out, bool word) const {
    appendGroups(out, text_, [word](char c) {
        if (c == ' ') {
            return -1;
        }
        return c == '1' || ((c == 'w' || c == 'W') && word) ? 1 : 0;
    });
}

void BitPattern::prepend(std::string_view prefix) {
    text_.insert(0, prefix);
}

BitText& BitText::bits(unsigned value, std::size_t digits) {
    digits = std::min(digits, digits_.size() - size_);
    for (std::size_t i = digits; i > 0; --i, value >>= 1u) {
        digits_[size_ + i - 1] = (value & 1u) ? '1' : '0';
    }
    size_ += digits;
    return *this;
}

}  // namespace tarvix
