#include "common/operand_text.h"

#include <array>
#include <cctype>

#include "common/text.h"

namespace tarvix {

namespace {

struct RegisterName {
    std::string_view name;
    int size;
    std::string_view code;
};

// 8086 register numbering: the reg and r/m fields use the same three bits.
constexpr std::array<RegisterName, 16> kRegisters{{
    {"ax", 2, "000"},
    {"cx", 2, "001"},
    {"dx", 2, "010"},
    {"bx", 2, "011"},
    {"sp", 2, "100"},
    {"bp", 2, "101"},
    {"si", 2, "110"},
    {"di", 2, "111"},
    {"al", 1, "000"},
    {"cl", 1, "001"},
    {"dl", 1, "010"},
    {"bl", 1, "011"},
    {"ah", 1, "100"},
    {"ch", 1, "101"},
    {"dh", 1, "110"},
    {"bh", 1, "111"},
}};

const RegisterName* findRegister(std::string_view text) {
    for (const RegisterName& reg : kRegisters) {
        if (equalsIgnoreCase(text, reg.name)) {
            return &reg;
        }
    }
    return nullptr;
}

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
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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

int registerSize(std::string_view text) {
    const RegisterName* reg = findRegister(text);
    return reg ? reg->size : 0;
}

int accumulatorSize(std::string_view text) {
    if (equalsIgnoreCase(text, "ax")) {
        return 2;
    }
    if (equalsIgnoreCase(text, "al")) {
        return 1;
    }
    return 0;
}

std::string registerCode(std::string_view text) {
    const RegisterName* reg = findRegister(text);
    return reg ? std::string(reg->code) : std::string("reg");
}

bool hasBracket(std::string_view text) {
    return contains(text, "[");
}

}  // namespace tarvix
