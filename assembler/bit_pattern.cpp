#include "assembler/bit_pattern.h"

#include <algorithm>
#include <array>

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

// How the byte text reads a pattern character: as a zero or one bit, as the size bit, or not
// at all (a space, once the pattern is finished).
enum class BitRead : unsigned char { Zero, One, SizeBit, Skip };

constexpr std::array<BitRead, 256> bitReads(bool finished) {
    std::array<BitRead, 256> reads{};
    reads[static_cast<unsigned char>('1')] = BitRead::One;
    if (finished) {
        reads[static_cast<unsigned char>(' ')] = BitRead::Skip;
        reads[static_cast<unsigned char>('w')] = BitRead::SizeBit;
        reads[static_cast<unsigned char>('W')] = BitRead::SizeBit;
    }
    return reads;
}

constexpr std::array<BitRead, 256> kRawReads = bitReads(false);
constexpr std::array<BitRead, 256> kFinishedReads = bitReads(true);

// "%02X " for each full group of eight characters read through `reads`.
void appendGroups(std::string& out, std::string_view text, const std::array<BitRead, 256>& reads,
                  bool word) {
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        const BitRead read = reads[static_cast<unsigned char>(c)];
        if (read == BitRead::Skip) {
            continue;
        }
        const bool one = read == BitRead::One || (read == BitRead::SizeBit && word);
        value = (value << 1u) | (one ? 1u : 0u);
        if (++bits == 8) {
            appendHexByte(out, value);
            value = 0;
            bits = 0;
        }
    }
}

}  // namespace

void BitPattern::appendBytes(std::string& out) const {
    appendGroups(out, text_, kRawReads, false);
}

void BitPattern::appendFinishedBytes(std::string& out, bool word) const {
    appendGroups(out, text_, kFinishedReads, word);
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
