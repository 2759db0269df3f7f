#include "common/operand_text.h"

#include "common/text.h"

namespace tarvix {

namespace {

std::string_view dropLeadingZeros(std::string_view text) {
    while (text.size() >= 2 && text.front() == '0') {
        text.remove_prefix(1);
    }
    return text;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    // ASCII folding: no locale maps another byte onto a hexadecimal letter.
    const char lower = asciiLower(c);
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

}  // namespace

bool isHexNumber(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : dropLeadingZeros(text)) {
        if (hexDigitValue(c) < 0) {
            return false;
        }
    }
    return true;
}

std::uint16_t parseHex(std::string_view text) {
    text = dropLeadingZeros(text);
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            break;
        }
        value = ((value << 4) | static_cast<std::uint32_t>(digit)) & 0xFFFFu;
    }
    if (negative) {
        value = (0x10000u - value) & 0xFFFFu;
    }
    return static_cast<std::uint16_t>(value);
}

RegisterRef registerRef(std::string_view text) {
    // Every executed instruction asks this several times: two folded letters, no loops.
    if (text.size() != 2) {
        return {};
    }
    const char first = asciiLower(text[0]);
    const char second = asciiLower(text[1]);
    if (second == 'p' && (first == 's' || first == 'b')) {
        return {2, first == 's' ? 4 : 5};
    }
    if (second == 'i' && (first == 's' || first == 'd')) {
        return {2, first == 's' ? 6 : 7};
    }
    // The 8086 numbers A, C, D, B from 0.
    int code = 0;
    switch (first) {
        case 'a':
            code = 0;
            break;
        case 'c':
            code = 1;
            break;
        case 'd':
            code = 2;
            break;
        case 'b':
            code = 3;
            break;
        default:
            return {};
    }
    switch (second) {
        case 'x':
            return {2, code};
        case 'l':
            return {1, code};
        case 'h':
            return {1, code + 4};
        default:
            return {};
    }
}

int registerSize(std::string_view text) {
    return registerRef(text).size;
}

int accumulatorSize(std::string_view text) {
    const RegisterRef reg = registerRef(text);
    return reg.code == 0 ? reg.size : 0;
}

std::string registerCode(std::string_view text) {
    const RegisterRef reg = registerRef(text);
    if (reg.size == 0) {
        return "reg";
    }
    return {static_cast<char>('0' + (reg.code >> 2 & 1)),
            static_cast<char>('0' + (reg.code >> 1 & 1)), static_cast<char>('0' + (reg.code & 1))};
}

bool hasBracket(std::string_view text) {
    return contains(text, "[");
}

}  // namespace tarvix
