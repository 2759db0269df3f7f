#include "assembler/bit_pattern.h"

#include <algorithm>

namespace tarvix {

void fillField(std::string& pattern, std::string_view field, std::string_view bits) {
    for (std::size_t at = pattern.find(field); at != std::string::npos;
         at = pattern.find(field, at + bits.size())) {
        pattern.replace(at, field.size(), bits);
    }
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
